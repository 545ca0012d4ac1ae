#pragma once

#include "data/provider.h"

#include <QHash>
#include <QSqlDatabase>
#include <optional>

namespace data {

// What a backend tells of one table: its real column names, declared types and key.
struct TableSchema {
    QString name;                 // as the database spells it
    std::vector<FieldInfo> columns;
    std::vector<int> primaryKey;  // indexes into columns
};

// A business database reached through Qt SQL. Backend differences (how a table is described,
// which tables are listed) live in the subclasses; the reading and the single-row writes here.
class SqlProvider : public Provider {
public:
    ~SqlProvider() override;

    QStringList tableNames() override;
    std::unique_ptr<RowSource> openTable(const QString& commandText) override;
    std::unique_ptr<RowSource> openQuery(const QString& statement, const Parameters& params) override;
    int execute(const QString& statement, const Parameters& params) override;
    void beginBatch() override;
    void commitBatch() override;
    void rollbackBatch() override;

    QSqlDatabase& database() { return db_; }
    bool inBatch() const { return inBatch_; }
    // The table of that name without regard to case, or nothing.
    std::optional<TableSchema> findTable(const QString& name);
    [[noreturn]] void raise(const class QSqlError& error, const QString& statement) const;

protected:
    explicit SqlProvider(QSqlDatabase db);
    virtual TableSchema describeTable(const QString& realName) = 0;
    virtual QStringList listTables() = 0;
    // The key of a row just inserted without a value for its one integer key column.
    virtual std::optional<qint64> lastInsertKey() { return std::nullopt; }
    // Turns an error of the database into the text the user reads.
    virtual QString errorText(const class QSqlError& error) const;

private:
    friend class SqlRowSource;
    QSqlDatabase db_;
    QString connectionName_;
    bool inBatch_ = false;
    QStringList tableCache_;                 // tables and schemas, read once until a statement
    QHash<QString, TableSchema> schemaCache_; // creates, drops or alters a table
};

// Rewrites ":name" parameters to positional '?' and returns the names in order of use.
QString positionalStatement(const QString& statement, QStringList* namesInOrder);

} // namespace data
