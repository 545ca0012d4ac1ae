#pragma once

#include <QPointer>
#include <QTableView>

class SheetModel;

// The grid of the sheet table: title buttons, Enter as Tab, Ctrl+Delete with a question,
// Insert inserts, Down on the last row appends, an untouched new row is dropped when the grid
// loses the focus. Its current row is the table's current row.
class SheetGrid : public QTableView {
    Q_OBJECT
public:
    explicit SheetGrid(QWidget* parent = nullptr);

    void setSheetModel(SheetModel* model);

    // Sets every column to the width its field starts with.
    void resetColumnWidths();
    // Fits each column by the rows the grid has room to show.
    void fitColumns();
    // Hands the text of an open cell editor to the table, as leaving the cell would.
    void commitEdit();
    // Closes an open cell editor, dropping its text.
    void discardEdit();

Q_SIGNALS:
    void titleButtonClicked(const QString& fieldName);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    void handleKey(QKeyEvent* event);
    void moveToNextCell();
    void moveToPreviousCell();
    void followTable(int row);
    void focusMoved(QWidget* old, QWidget* now);
    int textPadding() const;

    QPointer<SheetModel> model_;
    bool following_ = false;
};
