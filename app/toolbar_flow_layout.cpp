#include "app/toolbar_flow_layout.h"

#include <QWidget>

ToolbarFlowLayout::ToolbarFlowLayout(QWidget* parent) : QLayout(parent)
{
    setContentsMargins(0, 0, 0, 0);
    setSpacing(0);
}

ToolbarFlowLayout::~ToolbarFlowLayout()
{
    while (QLayoutItem* item = takeAt(0))
        delete item;
}

void ToolbarFlowLayout::addItem(QLayoutItem* item)
{
    items_.append(item);
}

int ToolbarFlowLayout::count() const
{
    return static_cast<int>(items_.size());
}

QLayoutItem* ToolbarFlowLayout::itemAt(int index) const
{
    return index >= 0 && index < items_.size() ? items_.at(index) : nullptr;
}

QLayoutItem* ToolbarFlowLayout::takeAt(int index)
{
    return index >= 0 && index < items_.size() ? items_.takeAt(index) : nullptr;
}

int ToolbarFlowLayout::rowCount(int width) const
{
    return arrange(QRect(0, 0, width, 0), false);
}

int ToolbarFlowLayout::heightForWidth(int width) const
{
    return TopEdge + rowCount(width) * RowHeight + BottomEdge;
}

QSize ToolbarFlowLayout::sizeHint() const
{
    // The width of all items in one row; the height follows the width actually given.
    int width = Indent;
    for (const QLayoutItem* item : items_)
        width += item->sizeHint().width() + ItemGap;
    return {width, heightForWidth(width)};
}

QSize ToolbarFlowLayout::minimumSize() const
{
    return {0, TopEdge + RowHeight + BottomEdge};
}

void ToolbarFlowLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    arrange(rect, true);
}

int ToolbarFlowLayout::arrange(const QRect& rect, bool apply) const
{
    int rows = 1;
    int x = rect.x() + Indent;
    int rowTop = rect.y() + TopEdge;
    bool rowEmpty = true;
    for (QLayoutItem* item : items_) {
        if (item->isEmpty())
            continue;
        const QSize size = item->sizeHint();
        // A row always takes its first item, however narrow the toolbar.
        if (!rowEmpty && x + size.width() > rect.right() + 1) {
            ++rows;
            x = rect.x() + Indent;
            rowTop += RowHeight;
        }
        if (apply)
            item->setGeometry(QRect(QPoint(x, rowTop + (RowHeight - size.height()) / 2), size));
        x += size.width() + ItemGap;
        rowEmpty = false;
    }
    return rows;
}
