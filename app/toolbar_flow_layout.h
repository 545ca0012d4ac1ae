#pragma once

#include <QLayout>
#include <QList>

// Places the toolbar's items left to right in rows of a fixed height, each item at its own fixed
// size and centred vertically in its row; an item that no longer fits in the width left on a row
// starts the next row. The toolbar is as high as its rows need.
class ToolbarFlowLayout : public QLayout {
public:
    static constexpr int RowHeight = 40;
    static constexpr int Indent = 4;        // first item's distance from the left edge
    static constexpr int ItemGap = 0;       // items stand edge to edge
    static constexpr int TopEdge = 2;       // the grooved line along the top
    static constexpr int BottomEdge = 2;

    explicit ToolbarFlowLayout(QWidget* parent);
    ~ToolbarFlowLayout() override;

    void addItem(QLayoutItem* item) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;

    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

    // The number of rows the items take at a given width.
    int rowCount(int width) const;

private:
    int arrange(const QRect& rect, bool apply) const; // returns the number of rows
    QList<QLayoutItem*> items_;
};
