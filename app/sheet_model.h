#pragma once

#include "data/dataset.h"

#include <QAbstractTableModel>
#include <QStringList>

// The grid's view of the sheet table: one column per field, one row per record in the table's
// order and filter, plus the new row while one is being inserted. The table owns rows, cursor,
// edit state, sort and filter; this model only reads them and hands edits on.
class SheetModel : public QAbstractTableModel, private data::Dataset::Observer {
    Q_OBJECT
public:
    explicit SheetModel(data::Dataset& dataset, QObject* parent = nullptr);
    ~SheetModel() override;

    data::Dataset& dataset() const { return dataset_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The text a cell shows.
    QString displayText(int row, int column) const;

    // While a sheet loads the model shows nothing and ignores the table.
    void beginLoad();
    void endLoad();

Q_SIGNALS:
    // The table's current row, 0-based; -1 when there is none.
    void currentRowChanged(int row);
    // The table was closed: criteria kept for it are void.
    void tableClosed();

private:
    void datasetChanged(data::Dataset& dataset) override;
    void refresh();
    int currentRow() const;

    data::Dataset& dataset_;
    QStringList columns_;
    int rows_ = 0;
    int current_ = -1;
    data::DatasetState state_ = data::DatasetState::Inactive;
    bool loading_ = false;
};
