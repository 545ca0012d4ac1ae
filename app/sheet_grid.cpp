#include "app/sheet_grid.h"

#include "app/application.h"
#include "app/column_fitting.h"
#include "app/sheet_model.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMessageBox>
#include <QStyledItemDelegate>
#include <algorithm>

namespace {

// Enter in a cell editor hands the text over and leaves the cell as Tab does, at once.
class CellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                auto* editor = qobject_cast<QWidget*>(object);
                Q_EMIT commitData(editor);
                Q_EMIT closeEditor(editor, QAbstractItemDelegate::EditNextItem);
                return true;
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }
};

} // namespace

SheetGrid::SheetGrid(QWidget* parent) : QTableView(parent)
{
    QFont cellFont(QStringLiteral("宋体"));
    cellFont.setPixelSize(16);
    setFont(cellFont);
    QFont titleFont(QStringLiteral("宋体"));
    titleFont.setPixelSize(15);
    horizontalHeader()->setFont(titleFont);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setTextElideMode(Qt::ElideRight);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                    | QAbstractItemView::AnyKeyPressed);
    setTabKeyNavigation(true);
    setItemDelegate(new CellDelegate(this));
    setWordWrap(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
        Q_EMIT titleButtonClicked(model()->headerData(section, Qt::Horizontal, Qt::DisplayRole).toString());
    });
    connect(qApp, &QApplication::focusChanged, this, &SheetGrid::focusMoved);
}

void SheetGrid::setSheetModel(SheetModel* model)
{
    model_ = model;
    setModel(model);
    connect(model, &SheetModel::currentRowChanged, this, &SheetGrid::followTable);
}

int SheetGrid::textPadding() const
{
    return 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1);
}

void SheetGrid::resetColumnWidths()
{
    const int zero = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    const auto& fields = model_->dataset().fieldInfos();
    for (int column = 0; column < model_->columnCount(); ++column)
        setColumnWidth(column, column_fitting::initialChars(fields[static_cast<size_t>(column)]) * zero + textPadding());
}

void SheetGrid::fitColumns()
{
    const QFontMetrics metrics = fontMetrics();
    const int zero = metrics.horizontalAdvance(QLatin1Char('0'));
    const int rows = model_->rowCount();
    const int first = std::max(0, rowAt(0));
    int last = rowAt(viewport()->height() - 1);
    if (last < 0)
        last = rows - 1;
    for (int column = 0; column < model_->columnCount(); ++column) {
        int widest = 0;
        for (int row = first; row <= last && row < rows; ++row)
            widest = std::max(widest, metrics.horizontalAdvance(model_->displayText(row, column)));
        const int chars = column_fitting::fittedChars(columnWidth(column), widest, width(), zero);
        if (chars >= 0)
            setColumnWidth(column, chars * zero + textPadding());
    }
}

void SheetGrid::commitEdit()
{
    if (state() != QAbstractItemView::EditingState)
        return;
    if (QWidget* editor = indexWidget(currentIndex())) {
        commitData(editor);
        QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void SheetGrid::discardEdit()
{
    if (state() != QAbstractItemView::EditingState)
        return;
    if (QWidget* editor = indexWidget(currentIndex()))
        QTableView::closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
}

void SheetGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    // Tab and Enter leave the cell; neither opens the next cell's editor.
    QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
    if (!model_)
        return;
    if (hint == QAbstractItemDelegate::EditNextItem)
        runHandler([this] { moveToNextCell(); });
    else if (hint == QAbstractItemDelegate::EditPreviousItem)
        runHandler([this] { moveToPreviousCell(); });
}

void SheetGrid::keyPressEvent(QKeyEvent* event)
{
    if (!model_) {
        QTableView::keyPressEvent(event);
        return;
    }
    runHandler([&] { handleKey(event); });
}

void SheetGrid::handleKey(QKeyEvent* event)
{
    data::Dataset& table = model_->dataset();
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const bool plain = modifiers == Qt::NoModifier;
    const bool inserting = table.state() == data::DatasetState::Insert;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab:
        if (plain) {
            moveToNextCell();
            return;
        }
        break;
    case Qt::Key_Backtab:
        moveToPreviousCell();
        return;
    case Qt::Key_Delete:
        if (modifiers == Qt::ControlModifier) {
            if (table.active() && (!table.isEmpty() || inserting)
                && QMessageBox(QMessageBox::Question, QStringLiteral("Confirm"), QStringLiteral("Delete record?"),
                               QMessageBox::Ok | QMessageBox::Cancel, this)
                           .exec()
                       == QMessageBox::Ok)
                table.remove();
            return;
        }
        break;
    case Qt::Key_Insert:
        if (plain && table.active()) {
            table.insert();
            return;
        }
        break;
    case Qt::Key_Down:
        if (plain && table.active() && currentIndex().row() == model_->rowCount() - 1) {
            if (!inserting || table.modified())
                table.append();
            return;
        }
        break;
    case Qt::Key_Escape:
        if (table.state() == data::DatasetState::Edit || inserting) {
            table.cancel();
            return;
        }
        break;
    default:
        break;
    }
    QTableView::keyPressEvent(event);
}

void SheetGrid::moveToNextCell()
{
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return;
    if (current.column() + 1 < model_->columnCount()) {
        setCurrentIndex(current.siblingAtColumn(current.column() + 1));
        return;
    }
    if (current.row() + 1 < model_->rowCount()) {
        setCurrentIndex(model_->index(current.row() + 1, 0));
        return;
    }
    data::Dataset& table = model_->dataset();
    if (table.state() != data::DatasetState::Insert || table.modified()) {
        table.append();
        setCurrentIndex(model_->index(model_->rowCount() - 1, 0));
    }
}

void SheetGrid::moveToPreviousCell()
{
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return;
    if (current.column() > 0)
        setCurrentIndex(current.siblingAtColumn(current.column() - 1));
    else if (current.row() > 0)
        setCurrentIndex(model_->index(current.row() - 1, model_->columnCount() - 1));
}

void SheetGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    if (following_ || !model_ || !current.isValid())
        return;
    data::Dataset& table = model_->dataset();
    if (!table.active() || current.row() + 1 == table.recNo())
        return;
    runHandler([&] { table.setRecNo(current.row() + 1); });
    // A refused post keeps the table on its row, and the grid with it.
    followTable(table.recNo() - 1);
}

void SheetGrid::followTable(int row)
{
    if (row < 0 || row >= model_->rowCount() || currentIndex().row() == row)
        return;
    following_ = true;
    setCurrentIndex(model_->index(row, std::max(0, currentIndex().column())));
    following_ = false;
}

void SheetGrid::focusMoved(QWidget* old, QWidget* now)
{
    // Only a move of the focus to another control of the window counts, not a switch of windows.
    if (!model_ || !old || !now || now->window() != window())
        return;
    if (!(old == this || isAncestorOf(old)) || now == this || isAncestorOf(now))
        return;
    data::Dataset& table = model_->dataset();
    if (table.state() == data::DatasetState::Insert && !table.modified())
        table.cancel();
}
