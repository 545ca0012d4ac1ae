#pragma once

#include "data/value.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <span>
#include <vector>

namespace data {

enum class FieldType : std::uint8_t { Text, Integer, Float, Boolean, DateTime, Variant };

struct FieldInfo {
    QString name;
    FieldType type = FieldType::Variant; // Variant: each value keeps its own kind (workbook cells)
    int width = 0;                        // Text: the column's width in characters, 0 = no limit
};

// A provider's handle for one stored row, handed back on update and delete.
using RowKey = qint64;

class RowSink {
public:
    virtual ~RowSink() = default;
    virtual void addRow(RowKey key, std::vector<Value>&& values) = 0;
};

// An opened table or query result: its fields, its rows, and the writing back of single rows.
// Every write is stored when the call returns.
class RowSource {
public:
    virtual ~RowSource() = default;

    virtual const std::vector<FieldInfo>& fields() const = 0;

    // Hands every row, in the source's order, to the sink, with the key that names it later.
    virtual void readRows(RowSink& sink) = 0;

    // The value a text written into the field becomes; raises a clear error naming field and
    // text when it does not convert. The default follows the field's declared type.
    virtual Value fromText(int field, const QString& text) const;

    // Stores a new row; `assigned` marks the fields that were set. Returns the row's key.
    virtual RowKey insertRow(std::span<const Value> values, const std::vector<bool>& assigned) = 0;
    // Replaces the stored row `key`, read as `original`, by `values`; `changed` marks the fields set.
    virtual void updateRow(RowKey key, std::span<const Value> original, std::span<const Value> values,
                           const std::vector<bool>& changed) = 0;
    virtual void deleteRow(RowKey key, std::span<const Value> original) = 0;
};

struct Parameter {
    QString name; // without the colon
    Value value;
};
using Parameters = QList<Parameter>;

// One connected source: a business database or a workbook.
class Provider {
public:
    virtual ~Provider() = default;

    // Tables and views, system tables excluded, in the order the source reports them.
    virtual QStringList tableNames() = 0;
    // Opens a table by the command text of a table object (a name, or "[name]").
    virtual std::unique_ptr<RowSource> openTable(const QString& commandText) = 0;
    virtual std::unique_ptr<RowSource> openQuery(const QString& statement, const Parameters& params) = 0;
    // Runs a statement that returns no rows; returns the number of rows it affected.
    virtual int execute(const QString& statement, const Parameters& params) = 0;

    // Groups the writes that follow into one commit. Sources without transactions ignore it.
    virtual void beginBatch() {}
    virtual void commitBatch() {}
    virtual void rollbackBatch() {}
};

} // namespace data
