#include "app/sheet_table.h"

namespace {

constexpr qint64 RowsPerReport = 4096;

class CountingSink : public data::RowSink {
public:
    CountingSink(data::RowSink& inner, const std::function<void(qint64)>& progress)
        : inner_(inner), progress_(progress) {}

    void addRow(data::RowKey key, std::vector<data::Value>&& values) override
    {
        inner_.addRow(key, std::move(values));
        if (++rows_ % RowsPerReport == 0)
            progress_(rows_);
    }

private:
    data::RowSink& inner_;
    const std::function<void(qint64)>& progress_;
    qint64 rows_ = 0;
};

// The opened sheet as it is, except that reading its rows is counted.
class CountingSource : public data::RowSource {
public:
    CountingSource(std::unique_ptr<data::RowSource> inner, std::function<void(qint64)> progress)
        : inner_(std::move(inner)), progress_(std::move(progress)) {}

    const std::vector<data::FieldInfo>& fields() const override { return inner_->fields(); }
    void readRows(data::RowSink& sink) override
    {
        CountingSink counting(sink, progress_);
        inner_->readRows(counting);
    }
    data::Value fromText(int field, const QString& text) const override { return inner_->fromText(field, text); }
    data::RowKey insertRow(std::span<const data::Value> values, const std::vector<bool>& assigned) override
    {
        return inner_->insertRow(values, assigned);
    }
    void updateRow(data::RowKey key, std::span<const data::Value> original, std::span<const data::Value> values,
                   const std::vector<bool>& changed) override
    {
        inner_->updateRow(key, original, values, changed);
    }
    void deleteRow(data::RowKey key, std::span<const data::Value> original) override
    {
        inner_->deleteRow(key, original);
    }

private:
    std::unique_ptr<data::RowSource> inner_;
    std::function<void(qint64)> progress_;
};

} // namespace

std::unique_ptr<data::RowSource> SheetTable::openSource()
{
    std::unique_ptr<data::RowSource> source = data::Table::openSource();
    if (!progress_)
        return source;
    return std::make_unique<CountingSource>(std::move(source), progress_);
}
