#pragma once

#include "data/provider.h"

#include <QHash>
#include <QString>
#include <memory>
#include <vector>

namespace data {

class Connection;
class Dataset;
class FilterExpression;
struct SortKey;

// A field of the current row of a dataset.
class Field {
public:
    Field(Dataset& dataset, int index) : dataset_(&dataset), index_(index) {}

    int index() const { return index_; }
    const QString& fieldName() const;
    const FieldInfo& info() const;

    const Value& value() const;
    bool isNull() const { return value().isNull(); }
    QString asText() const { return value().toText(); }
    qint64 asInteger() const { return value().toInteger(); }
    double asFloat() const { return value().toFloat(); }

    void setAsText(const QString& text);
    void setAsInteger(qint64 i);
    void setAsFloat(double d);
    void setAsBoolean(bool b);
    void setValue(const Value& v);

private:
    Dataset* dataset_;
    int index_;
};

enum class DatasetState { Inactive, Browse, Edit, Insert };

// Rows with a cursor over a provider's table or query result: the one dataset type of the
// system, for the business queries and the sheet table alike. The dataset owns the rows, the
// current row, the edit state, the sort and the filter; the provider stores single rows.
class Dataset {
public:
    explicit Dataset(QString objectName, Connection* connection = nullptr);
    virtual ~Dataset();
    Dataset(const Dataset&) = delete;
    Dataset& operator=(const Dataset&) = delete;

    const QString& objectName() const { return name_; }
    Connection* connection() const { return connection_; }
    void setConnection(Connection* connection);

    void open();
    void close();          // drops an unposted edit
    bool active() const { return state_ != DatasetState::Inactive; }
    void setActive(bool on) { on ? open() : close(); }
    DatasetState state() const { return state_; }

    // Cursor. Moving first ends an edit: a changed row is posted, an unchanged one dropped.
    void first();
    void last();
    void next();           // on the last row sets eof() and stays
    void prior();          // on the first row sets bof() and stays
    void moveBy(int distance);
    bool eof() const;
    bool bof() const;
    bool isEmpty() const;
    int recNo() const;           // 1-based in the current order and filter; 0 when empty
    void setRecNo(int recNo);
    int recordCount() const;     // rows passing the filter
    int fieldCount() const { return static_cast<int>(fields_.size()); }

    Field fields(int index);
    Field fieldByName(const QString& name);     // without regard to case; raises when missing
    int fieldIndex(const QString& name) const;  // -1 when missing
    const std::vector<FieldInfo>& fieldInfos() const { return fields_; }

    // The value of a field in the row at a view position (used by the grid).
    const Value& valueAt(int recNo, int field) const;

    // Editing.
    void append();
    void insert() { append(); }
    void edit();           // on an empty set it inserts
    void post();           // writes the row at once
    void cancel();
    void remove();         // drops an unposted new row; raises on an empty set
    bool modified() const { return modified_; }
    // Ends an edit as moving does: posts a changed row, drops an unchanged one.
    void checkBrowseMode();

    // Filter: "Field='value'", comparisons, LIKE, AND/OR, parentheses, NULL.
    const QString& filter() const { return filterText_; }
    void setFilter(const QString& text);
    bool filtered() const { return filtered_; }
    void setFiltered(bool on);

    // Sort: "Field ASC", "Field DESC", comma lists; empty after open.
    const QString& sort() const { return sortText_; }
    void setSort(const QString& text);

    // Notified after every change of rows, cursor or state (the grid listens).
    class Observer {
    public:
        virtual ~Observer() = default;
        virtual void datasetChanged(Dataset& dataset) = 0;
    };
    void setObserver(Observer* observer) { observer_ = observer; }

protected:
    virtual std::unique_ptr<RowSource> openSource() = 0;

private:
    friend class Field;
    struct Row {
        RowKey key;
        std::vector<Value> values;
    };
    class Loader;

    void requireActive() const;
    void requireCurrentRow() const;
    const std::vector<Value>& currentValues() const;
    void setFieldValue(int field, Value v);
    void rebuildView(std::uint32_t keepRow) const;
    // A filter change only marks the view; it is built when next read, so the import's
    // "filter off, new text, filter on" costs one index lookup rather than three scans.
    void ensureView() const;
    bool rowPasses(std::uint32_t row) const;
    void moveTo(int position) const;
    void notify();
    void releaseRows();
    std::vector<std::uint32_t> indexedMatches(int field, const QString& text) const;

    QString name_;
    Connection* connection_ = nullptr;
    std::unique_ptr<RowSource> source_;
    std::vector<FieldInfo> fields_;
    std::vector<Row> rows_;             // stored rows; deleted ones are cleared and skipped
    std::vector<bool> deleted_;
    mutable std::vector<std::uint32_t> view_; // stored rows in the current order and filter
    mutable int position_ = -1;         // index in view_, -1 when empty
    mutable bool eof_ = true;
    mutable bool bof_ = true;
    mutable bool viewStale_ = false;
    DatasetState state_ = DatasetState::Inactive;

    std::vector<Value> buffer_;         // the row being edited or inserted
    std::vector<bool> changed_;
    bool modified_ = false;
    int insertPosition_ = -1;           // view position where the new row shows

    QString filterText_;
    bool filtered_ = false;
    std::unique_ptr<FilterExpression> filterExpr_;
    QString sortText_;
    std::vector<SortKey> sortKeys_;

    // Equality index per field: folded text -> stored rows, kept up to date on append.
    struct EqualityIndex {
        QHash<QString, std::vector<std::uint32_t>> rows;
        bool valid = false;
    };
    mutable std::vector<EqualityIndex> indexes_;

    Observer* observer_ = nullptr;
};

// A dataset over a statement; ":name" in the text is a parameter.
class Query : public Dataset {
public:
    using Dataset::Dataset;

    // The statement list: each added line is one line of the statement.
    void clearSql();
    void addSql(const QString& line);
    void setSql(const QString& text);
    QString sql() const;

    void setParamText(const QString& name, const QString& value);
    void setParamFloat(const QString& name, double value);

    // Runs a statement that returns no rows; returns the number of rows affected.
    int execSql();

protected:
    std::unique_ptr<RowSource> openSource() override;

private:
    void setParam(const QString& name, Value v);
    QStringList lines_;
    Parameters params_;
};

// A dataset over a named table, "[Sheet1$]" for a worksheet.
class Table : public Dataset {
public:
    using Dataset::Dataset;

    void setTableName(const QString& name) { tableName_ = name; }
    const QString& tableName() const { return tableName_; }

protected:
    std::unique_ptr<RowSource> openSource() override;

private:
    QString tableName_;
};

} // namespace data
