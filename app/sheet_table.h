#pragma once

#include "data/dataset.h"

#include <functional>

// The sheet table: a table that tells, while it reads the rows of a sheet, how many it has read.
class SheetTable : public data::Table {
public:
    using data::Table::Table;

    // Called every few thousand rows read; may run the event loop to keep the screen alive.
    void setReadProgress(std::function<void(qint64 rows)> progress) { progress_ = std::move(progress); }

protected:
    std::unique_ptr<data::RowSource> openSource() override;

private:
    std::function<void(qint64)> progress_;
};
