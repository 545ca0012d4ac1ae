#include "data/dataset.h"

#include "data/connection.h"
#include "data/error.h"
#include "data/filter_expression.h"
#include "data/sort_text.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace data {

namespace {

const Value nullValue;

} // namespace

// ---------------------------------------------------------------- Field

const QString& Field::fieldName() const
{
    return info().name;
}

const FieldInfo& Field::info() const
{
    return dataset_->fields_[static_cast<size_t>(index_)];
}

const Value& Field::value() const
{
    if (dataset_->state_ == DatasetState::Inactive || (dataset_->state_ == DatasetState::Browse && dataset_->isEmpty()))
        return nullValue;
    return dataset_->currentValues()[static_cast<size_t>(index_)];
}

void Field::setAsText(const QString& text)
{
    Value v;
    try {
        v = dataset_->source_->fromText(index_, text);
    } catch (const Error& e) {
        throw objectError(dataset_->objectName(), e.message());
    }
    dataset_->setFieldValue(index_, std::move(v));
}

void Field::setAsInteger(qint64 i)
{
    switch (info().type) {
    case FieldType::Text: setAsText(QString::number(i)); return;
    case FieldType::Float: dataset_->setFieldValue(index_, Value::number(static_cast<double>(i))); return;
    case FieldType::Boolean: dataset_->setFieldValue(index_, Value::boolean(i != 0)); return;
    case FieldType::DateTime: dataset_->setFieldValue(index_, Value::dateTime(static_cast<double>(i))); return;
    default: dataset_->setFieldValue(index_, Value::integer(i)); return;
    }
}

void Field::setAsFloat(double d)
{
    switch (info().type) {
    case FieldType::Text: setAsText(formatNumber(d)); return;
    case FieldType::Integer: dataset_->setFieldValue(index_, Value::integer(static_cast<qint64>(std::llround(d)))); return;
    case FieldType::Boolean: dataset_->setFieldValue(index_, Value::boolean(d != 0)); return;
    case FieldType::DateTime: dataset_->setFieldValue(index_, Value::dateTime(d)); return;
    default: dataset_->setFieldValue(index_, Value::number(d)); return;
    }
}

void Field::setAsBoolean(bool b)
{
    switch (info().type) {
    case FieldType::Text: setAsText(b ? QStringLiteral("True") : QStringLiteral("False")); return;
    case FieldType::Integer: dataset_->setFieldValue(index_, Value::integer(b ? 1 : 0)); return;
    case FieldType::Float: dataset_->setFieldValue(index_, Value::number(b ? 1 : 0)); return;
    default: dataset_->setFieldValue(index_, Value::boolean(b)); return;
    }
}

void Field::setValue(const Value& v)
{
    dataset_->setFieldValue(index_, v);
}

// ---------------------------------------------------------------- Dataset

class Dataset::Loader : public RowSink {
public:
    explicit Loader(Dataset& d) : d_(d) {}
    void addRow(RowKey key, std::vector<Value>&& values) override
    {
        values.resize(d_.fields_.size());
        d_.rows_.push_back({key, std::move(values)});
    }

private:
    Dataset& d_;
};

Dataset::Dataset(QString objectName, Connection* connection) : name_(std::move(objectName))
{
    setConnection(connection);
}

Dataset::~Dataset()
{
    if (connection_)
        connection_->removeDependent(this);
}

void Dataset::setConnection(Connection* connection)
{
    if (connection_)
        connection_->removeDependent(this);
    connection_ = connection;
    if (connection_)
        connection_->addDependent([this] { close(); }, this);
}

void Dataset::open()
{
    if (active())
        return;
    if (!connection_)
        throw objectError(name_, QStringLiteral("Missing Connection or ConnectionString"));
    std::unique_ptr<RowSource> source = openSource();
    fields_ = source->fields();
    source_ = std::move(source);
    try {
        Loader loader(*this);
        source_->readRows(loader);
    } catch (...) {
        releaseRows();
        throw;
    }
    deleted_.assign(rows_.size(), false);
    indexes_.assign(fields_.size(), {});
    filterText_.clear();
    filtered_ = false;
    filterExpr_.reset();
    sortText_.clear();
    sortKeys_.clear();
    state_ = DatasetState::Browse;
    rebuildView(UINT32_MAX);
    notify();
}

void Dataset::close()
{
    if (!active())
        return;
    releaseRows();
    notify();
}

void Dataset::releaseRows()
{
    state_ = DatasetState::Inactive;
    source_.reset();
    rows_ = {};
    deleted_ = {};
    view_ = {};
    indexes_ = {};
    buffer_.clear();
    changed_.clear();
    modified_ = false;
    position_ = -1;
    eof_ = bof_ = true;
}

void Dataset::requireActive() const
{
    if (!active())
        throw objectError(name_, QStringLiteral("Cannot perform this operation on a closed dataset"));
}

void Dataset::requireCurrentRow() const
{
    ensureView();
    requireActive();
    if (view_.empty())
        throw objectError(name_, QStringLiteral("Cannot perform this operation on an empty dataset"));
}

const std::vector<Value>& Dataset::currentValues() const
{
    ensureView();
    if (state_ == DatasetState::Edit || state_ == DatasetState::Insert)
        return buffer_;
    return rows_[view_[static_cast<size_t>(position_)]].values;
}

const Value& Dataset::valueAt(int recNo, int field) const
{
    ensureView();
    const int i = recNo - 1;
    if (state_ == DatasetState::Insert && i == insertPosition_)
        return buffer_[static_cast<size_t>(field)];
    if (state_ == DatasetState::Edit && i == position_)
        return buffer_[static_cast<size_t>(field)];
    if (i < 0 || i >= static_cast<int>(view_.size()) || field < 0 || field >= fieldCount())
        return nullValue;
    return rows_[view_[static_cast<size_t>(i)]].values[static_cast<size_t>(field)];
}

void Dataset::notify()
{
    if (observer_)
        observer_->datasetChanged(*this);
}

// ------------------------------------------------ cursor

void Dataset::moveTo(int position) const
{
    const int count = static_cast<int>(view_.size());
    if (count == 0) {
        position_ = -1;
        eof_ = bof_ = true;
        return;
    }
    position_ = std::clamp(position, 0, count - 1);
    eof_ = bof_ = false;
}

void Dataset::first()
{
    ensureView();
    requireActive();
    checkBrowseMode();
    moveTo(0);
    bof_ = true;
    eof_ = view_.empty();
    notify();
}

void Dataset::last()
{
    ensureView();
    requireActive();
    checkBrowseMode();
    moveTo(static_cast<int>(view_.size()) - 1);
    eof_ = true;
    bof_ = view_.empty();
    notify();
}

void Dataset::next()
{
    ensureView();
    requireActive();
    checkBrowseMode();
    if (view_.empty() || position_ + 1 >= static_cast<int>(view_.size())) {
        eof_ = true;
    } else {
        moveTo(position_ + 1);
    }
    notify();
}

void Dataset::prior()
{
    ensureView();
    requireActive();
    checkBrowseMode();
    if (view_.empty() || position_ <= 0) {
        bof_ = true;
    } else {
        moveTo(position_ - 1);
    }
    notify();
}

void Dataset::moveBy(int distance)
{
    ensureView();
    requireActive();
    checkBrowseMode();
    const int target = position_ + distance;
    moveTo(target);
    eof_ = view_.empty() || target >= static_cast<int>(view_.size());
    bof_ = view_.empty() || target < 0;
    notify();
}

int Dataset::recNo() const
{
    ensureView();
    if (state_ == DatasetState::Insert)
        return insertPosition_ + 1;
    return position_ + 1;
}

void Dataset::setRecNo(int recNo)
{
    ensureView();
    requireActive();
    checkBrowseMode();
    moveTo(recNo - 1);
    notify();
}

int Dataset::recordCount() const
{
    ensureView();
    return static_cast<int>(view_.size());
}

int Dataset::fieldIndex(const QString& name) const
{
    for (size_t i = 0; i < fields_.size(); ++i)
        if (fields_[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

Field Dataset::fields(int index)
{
    requireActive();
    if (index < 0 || index >= fieldCount())
        throw objectError(name_, QStringLiteral("Field index out of range"));
    return Field(*this, index);
}

Field Dataset::fieldByName(const QString& name)
{
    const int i = fieldIndex(name);
    if (i < 0)
        throw objectError(name_, QStringLiteral("Field '%1' not found").arg(name));
    return Field(*this, i);
}

// ------------------------------------------------ editing

void Dataset::setFieldValue(int field, Value v)
{
    if (state_ != DatasetState::Edit && state_ != DatasetState::Insert)
        throw objectError(name_, QStringLiteral("Dataset not in edit or insert mode"));
    buffer_[static_cast<size_t>(field)] = std::move(v);
    changed_[static_cast<size_t>(field)] = true;
    modified_ = true;
    notify();
}

void Dataset::checkBrowseMode()
{
    if (state_ != DatasetState::Edit && state_ != DatasetState::Insert)
        return;
    if (modified_)
        post();
    else
        cancel();
}

void Dataset::append()
{
    ensureView();
    requireActive();
    checkBrowseMode();
    buffer_.assign(fields_.size(), Value());
    changed_.assign(fields_.size(), false);
    modified_ = false;
    insertPosition_ = static_cast<int>(view_.size());
    state_ = DatasetState::Insert;
    notify();
}

void Dataset::edit()
{
    ensureView();
    requireActive();
    if (state_ == DatasetState::Edit || state_ == DatasetState::Insert)
        return;
    if (view_.empty()) {
        append();
        return;
    }
    buffer_ = currentValues();
    changed_.assign(fields_.size(), false);
    modified_ = false;
    state_ = DatasetState::Edit;
    notify();
}

void Dataset::post()
{
    ensureView();
    requireActive();
    if (state_ == DatasetState::Edit) {
        const std::uint32_t row = view_[static_cast<size_t>(position_)];
        if (modified_) {
            source_->updateRow(rows_[row].key, rows_[row].values, buffer_, changed_);
            for (size_t f = 0; f < fields_.size(); ++f)
                if (changed_[f])
                    indexes_[f].valid = false;
            rows_[row].values = std::move(buffer_);
        }
    } else if (state_ == DatasetState::Insert) {
        const RowKey key = source_->insertRow(buffer_, changed_);
        const auto row = static_cast<std::uint32_t>(rows_.size());
        rows_.push_back({key, std::move(buffer_)});
        deleted_.push_back(false);
        for (size_t f = 0; f < fields_.size(); ++f) {
            EqualityIndex& index = indexes_[f];
            const Value& v = rows_[row].values[f];
            if (index.valid && !v.isNull())
                index.rows[FilterExpression::equalityKey(v)].push_back(row);
        }
        view_.push_back(row);
        position_ = static_cast<int>(view_.size()) - 1;
        eof_ = bof_ = false;
    } else {
        return;
    }
    buffer_.clear();
    changed_.clear();
    modified_ = false;
    state_ = DatasetState::Browse;
    notify();
}

void Dataset::cancel()
{
    if (state_ != DatasetState::Edit && state_ != DatasetState::Insert)
        return;
    buffer_.clear();
    changed_.clear();
    modified_ = false;
    state_ = DatasetState::Browse;
    moveTo(position_);
    notify();
}

void Dataset::remove()
{
    ensureView();
    requireActive();
    if (state_ == DatasetState::Insert) {
        cancel();
        return;
    }
    if (state_ == DatasetState::Edit)
        cancel();
    requireCurrentRow();
    const std::uint32_t row = view_[static_cast<size_t>(position_)];
    source_->deleteRow(rows_[row].key, rows_[row].values);
    deleted_[row] = true;
    rows_[row].values = {};
    for (EqualityIndex& index : indexes_)
        index.valid = false;
    view_.erase(view_.begin() + position_);
    moveTo(position_);
    notify();
}

// ------------------------------------------------ filter and sort

void Dataset::setFilter(const QString& text)
{
    if (text == filterText_)
        return;
    std::unique_ptr<FilterExpression> expr;
    if (active() && filtered_ && !text.trimmed().isEmpty()) {
        try {
            expr = FilterExpression::parse(text, fields_);
        } catch (const Error& e) {
            throw objectError(name_, e.message());
        }
    }
    filterText_ = text;
    if (!active() || !filtered_)
        return;
    checkBrowseMode();
    filterExpr_ = std::move(expr);
    viewStale_ = true;
    notify();
}

void Dataset::setFiltered(bool on)
{
    if (on == filtered_)
        return;
    std::unique_ptr<FilterExpression> expr;
    if (on && active() && !filterText_.trimmed().isEmpty()) {
        try {
            expr = FilterExpression::parse(filterText_, fields_);
        } catch (const Error& e) {
            throw objectError(name_, e.message());
        }
    }
    filtered_ = on;
    if (!active())
        return;
    checkBrowseMode();
    filterExpr_ = std::move(expr);
    viewStale_ = true;
    notify();
}

void Dataset::setSort(const QString& text)
{
    ensureView();
    requireActive();
    std::vector<SortKey> keys;
    try {
        keys = parseSortText(text, fields_);
    } catch (const Error& e) {
        throw objectError(name_, e.message());
    }
    checkBrowseMode();
    const std::uint32_t current = position_ >= 0 ? view_[static_cast<size_t>(position_)] : UINT32_MAX;
    sortText_ = text;
    sortKeys_ = std::move(keys);
    rebuildView(current);
    notify();
}

void Dataset::ensureView() const
{
    if (viewStale_)
        rebuildView(UINT32_MAX);
}

bool Dataset::eof() const
{
    ensureView();
    return eof_;
}

bool Dataset::bof() const
{
    ensureView();
    return bof_;
}

bool Dataset::isEmpty() const
{
    ensureView();
    return view_.empty();
}

bool Dataset::rowPasses(std::uint32_t row) const
{
    return !deleted_[row] && (!filterExpr_ || filterExpr_->matches(rows_[row].values));
}

std::vector<std::uint32_t> Dataset::indexedMatches(int field, const QString& key) const
{
    EqualityIndex& index = indexes_[static_cast<size_t>(field)];
    if (!index.valid) {
        index.rows.clear();
        for (std::uint32_t r = 0; r < rows_.size(); ++r) {
            const Value& v = rows_[r].values[static_cast<size_t>(field)];
            if (!deleted_[r] && !v.isNull())
                index.rows[FilterExpression::equalityKey(v)].push_back(r);
        }
        index.valid = true;
    }
    const auto found = index.rows.constFind(key);
    return found == index.rows.cend() ? std::vector<std::uint32_t>{} : *found;
}

void Dataset::rebuildView(std::uint32_t keepRow) const
{
    viewStale_ = false;
    view_.clear();
    std::optional<FilterExpression::Equality> equality;
    if (filterExpr_)
        equality = filterExpr_->simpleEquality();
    if (equality) {
        view_ = indexedMatches(equality->field, equality->text);
    } else {
        view_.reserve(rows_.size());
        for (std::uint32_t r = 0; r < rows_.size(); ++r)
            if (rowPasses(r))
                view_.push_back(r);
    }
    if (!sortKeys_.empty()) {
        std::stable_sort(view_.begin(), view_.end(), [this](std::uint32_t a, std::uint32_t b) {
            for (const SortKey& k : sortKeys_) {
                const int c = compareForSort(rows_[a].values[static_cast<size_t>(k.field)],
                                             rows_[b].values[static_cast<size_t>(k.field)]);
                if (c != 0)
                    return k.descending ? c > 0 : c < 0;
            }
            return false;
        });
    }
    int position = 0;
    if (keepRow != UINT32_MAX) {
        const auto found = std::find(view_.begin(), view_.end(), keepRow);
        if (found != view_.end())
            position = static_cast<int>(found - view_.begin());
    }
    moveTo(position);
    if (!view_.empty() && position == 0)
        bof_ = true;
}

// ---------------------------------------------------------------- Query and Table

namespace {

// The names of the ":name" parameters of a statement, in order of first appearance.
QStringList parameterNames(const QString& sql)
{
    QStringList names;
    QChar quote;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
            continue;
        }
        if (c != QLatin1Char(':'))
            continue;
        if (i + 1 < sql.size() && sql[i + 1] == QLatin1Char(':')) { // "::" is no parameter
            ++i;
            continue;
        }
        qsizetype j = i + 1;
        while (j < sql.size() && (sql[j].isLetterOrNumber() || sql[j] == QLatin1Char('_')))
            ++j;
        const QString name = sql.mid(i + 1, j - i - 1);
        if (!name.isEmpty() && !names.contains(name, Qt::CaseInsensitive))
            names.append(name);
        i = j - 1;
    }
    return names;
}

} // namespace

void Query::clearSql()
{
    close();
    lines_.clear();
    params_.clear();
}

void Query::addSql(const QString& line)
{
    close();
    lines_.append(line);
    const QStringList names = parameterNames(sql());
    Parameters params;
    for (const QString& n : names) {
        Value v;
        for (const Parameter& p : params_)
            if (p.name.compare(n, Qt::CaseInsensitive) == 0)
                v = p.value;
        params.append({n, v});
    }
    params_ = params;
}

void Query::setSql(const QString& text)
{
    clearSql();
    addSql(text);
}

QString Query::sql() const
{
    return lines_.join(QLatin1Char('\n'));
}

void Query::setParam(const QString& name, Value v)
{
    for (Parameter& p : params_) {
        if (p.name.compare(name, Qt::CaseInsensitive) == 0) {
            p.value = std::move(v);
            return;
        }
    }
    throw objectError(objectName(), QStringLiteral("Parameter '%1' not found").arg(name));
}

void Query::setParamText(const QString& name, const QString& value)
{
    setParam(name, Value::text(value));
}

void Query::setParamFloat(const QString& name, double value)
{
    setParam(name, Value::number(value));
}

int Query::execSql()
{
    if (!connection())
        throw objectError(objectName(), QStringLiteral("Missing Connection or ConnectionString"));
    return connection()->provider().execute(sql(), params_);
}

std::unique_ptr<RowSource> Query::openSource()
{
    if (sql().trimmed().isEmpty())
        throw objectError(objectName(), QStringLiteral("CommandText does not return a result set"));
    return connection()->provider().openQuery(sql(), params_);
}

std::unique_ptr<RowSource> Table::openSource()
{
    return connection()->provider().openTable(tableName_);
}

} // namespace data
