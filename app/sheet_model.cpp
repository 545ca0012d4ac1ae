#include "app/sheet_model.h"

#include "app/application.h"

SheetModel::SheetModel(data::Dataset& dataset, QObject* parent) : QAbstractTableModel(parent), dataset_(dataset)
{
    dataset_.setObserver(this);
    refresh();
}

SheetModel::~SheetModel()
{
    dataset_.setObserver(nullptr);
}

int SheetModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : rows_;
}

int SheetModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QString SheetModel::displayText(int row, int column) const
{
    return dataset_.valueAt(row + 1, column).toText();
}

QVariant SheetModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rows_ || index.column() >= columns_.size())
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return displayText(index.row(), index.column());
    return {};
}

bool SheetModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.row() >= rows_)
        return false;
    const QString text = value.toString();
    // A cell left as it was does not put its row into edit.
    const bool unchanged = text == displayText(index.row(), index.column());
    bool stored = false;
    runHandler([&] {
        if (currentRow() != index.row()) {
            if (unchanged)
                return;
            dataset_.setRecNo(index.row() + 1);
        }
        if (dataset_.state() == data::DatasetState::Browse) {
            if (unchanged)
                return;
            dataset_.edit();
        }
        dataset_.fields(index.column()).setAsText(text);
        stored = true;
    });
    return stored;
}

QVariant SheetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section < columns_.size() ? columns_.at(section) : QVariant();
    // The row indicator: the current row, marked by its state.
    if (section != current_)
        return QString();
    switch (state_) {
    case data::DatasetState::Edit: return QStringLiteral("I");
    case data::DatasetState::Insert: return QStringLiteral("*");
    default: return QStringLiteral("▶");
    }
}

Qt::ItemFlags SheetModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

void SheetModel::beginLoad()
{
    beginResetModel();
    loading_ = true;
    columns_.clear();
    rows_ = 0;
    current_ = -1;
    state_ = data::DatasetState::Inactive;
    endResetModel();
}

void SheetModel::endLoad()
{
    loading_ = false;
    refresh();
}

void SheetModel::datasetChanged(data::Dataset&)
{
    if (!loading_)
        refresh();
}

int SheetModel::currentRow() const
{
    return dataset_.active() && dataset_.recNo() > 0 ? dataset_.recNo() - 1 : -1;
}

// Brings the model up to the table's state. A change of the fields resets the model; any
// other change keeps the columns (and so their fitted widths) and repaints the rows.
void SheetModel::refresh()
{
    const bool wasActive = state_ != data::DatasetState::Inactive;
    QStringList columns;
    if (dataset_.active())
        for (const data::FieldInfo& field : dataset_.fieldInfos())
            columns.append(field.name);
    const bool inserting = dataset_.state() == data::DatasetState::Insert;
    const int rows = dataset_.active() ? dataset_.recordCount() + (inserting ? 1 : 0) : 0;

    if (columns != columns_) {
        beginResetModel();
        columns_ = columns;
        rows_ = rows;
        endResetModel();
    } else {
        if (rows > rows_) {
            beginInsertRows({}, rows_, rows - 1);
            rows_ = rows;
            endInsertRows();
        } else if (rows < rows_) {
            beginRemoveRows({}, rows, rows_ - 1);
            rows_ = rows;
            endRemoveRows();
        }
        if (rows_ > 0 && !columns_.isEmpty())
            Q_EMIT dataChanged(index(0, 0), index(rows_ - 1, static_cast<int>(columns_.size()) - 1));
    }
    state_ = dataset_.state();
    current_ = currentRow();
    if (rows_ > 0)
        Q_EMIT headerDataChanged(Qt::Vertical, 0, rows_ - 1);
    Q_EMIT currentRowChanged(current_);
    if (wasActive && !dataset_.active())
        Q_EMIT tableClosed();
}
