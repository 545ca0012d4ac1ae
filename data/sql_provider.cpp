#include "data/sql_provider.h"

#include "data/error.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <cmath>
#include <map>

namespace data {

namespace {

const QDate oleEpoch(1899, 12, 30);

QString quoteIdentifier(const QString& name)
{
    QString q = name;
    q.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

QVariant toVariant(const Value& v)
{
    switch (v.kind()) {
    case ValueKind::Null: return QVariant();
    case ValueKind::Text:
    case ValueKind::Error:
        // Qt SQL binds a null QString as NULL; an empty text (null read as text) must stay ''.
        return v.textValue().isNull() ? QStringLiteral("") : v.textValue();
    case ValueKind::Integer: return QVariant::fromValue<qlonglong>(v.toInteger());
    case ValueKind::Float: return v.toFloat();
    case ValueKind::Boolean: return v.toBool();
    case ValueKind::DateTime: return v.toText();
    }
    return {};
}

double oleDateOf(const QDateTime& dt)
{
    const qint64 days = oleEpoch.daysTo(dt.date());
    return static_cast<double>(days) + dt.time().msecsSinceStartOfDay() / 86400000.0;
}

Value fromVariant(const QVariant& var, FieldType type)
{
    if (var.isNull())
        return {};
    switch (type) {
    case FieldType::Integer: {
        bool ok = false;
        const qlonglong i = var.toLongLong(&ok);
        if (ok)
            return Value::integer(i);
        return Value::text(var.toString());
    }
    case FieldType::Float: {
        bool ok = false;
        const double d = var.toDouble(&ok);
        return ok ? Value::number(d) : Value::text(var.toString());
    }
    case FieldType::Boolean: {
        if (var.typeId() == QMetaType::Bool)
            return Value::boolean(var.toBool());
        const QString s = var.toString().trimmed().toLower();
        return Value::boolean(!(s.isEmpty() || s == QLatin1String("0") || s == QLatin1String("false")
                                || s == QLatin1String("f")));
    }
    case FieldType::DateTime: {
        if (var.typeId() == QMetaType::QDateTime)
            return Value::dateTime(oleDateOf(var.toDateTime()));
        if (var.typeId() == QMetaType::QDate)
            return Value::dateTime(static_cast<double>(oleEpoch.daysTo(var.toDate())));
        double ole = 0;
        if (parseDateTime(var.toString(), &ole))
            return Value::dateTime(ole);
        return Value::text(var.toString());
    }
    default: break;
    }
    switch (var.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong: return Value::integer(var.toLongLong());
    case QMetaType::Double: return Value::number(var.toDouble());
    case QMetaType::Bool: return Value::boolean(var.toBool());
    default: return Value::text(var.toString());
    }
}

FieldType typeOfMeta(QMetaType::Type t)
{
    switch (t) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort: return FieldType::Integer;
    case QMetaType::Double:
    case QMetaType::Float: return FieldType::Float;
    case QMetaType::Bool: return FieldType::Boolean;
    case QMetaType::QDate:
    case QMetaType::QDateTime: return FieldType::DateTime;
    case QMetaType::QString: return FieldType::Text;
    default: return FieldType::Variant;
    }
}

// The table a plain single-table select reads from, or empty.
QString selectedTable(const QString& statement)
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*select\\s+(?:(?!\\bfrom\\b).)+?\\bfrom\\s+(\"[^\"]+\"|\\[[^\\]]+\\]|[\\w.]+)"
                       "\\s*(?:$|where\\b|order\\b)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const auto m = pattern.match(statement);
    if (!m.hasMatch())
        return {};
    QString name = m.captured(1);
    if (name.startsWith(QLatin1Char('"')) || name.startsWith(QLatin1Char('[')))
        name = name.mid(1, name.size() - 2);
    return name;
}

} // namespace

QString positionalStatement(const QString& statement, QStringList* namesInOrder)
{
    QString out;
    out.reserve(statement.size());
    QChar quote;
    for (qsizetype i = 0; i < statement.size(); ++i) {
        const QChar c = statement[i];
        if (!quote.isNull()) {
            out += c;
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
            out += c;
            continue;
        }
        if (c == QLatin1Char(':') && i + 1 < statement.size() && statement[i + 1] == QLatin1Char(':')) {
            out += QStringLiteral("::");
            ++i;
            continue;
        }
        if (c == QLatin1Char(':')) {
            qsizetype j = i + 1;
            while (j < statement.size() && (statement[j].isLetterOrNumber() || statement[j] == QLatin1Char('_')))
                ++j;
            if (j > i + 1) {
                namesInOrder->append(statement.mid(i + 1, j - i - 1));
                out += QLatin1Char('?');
                i = j - 1;
                continue;
            }
        }
        out += c;
    }
    return out;
}

// ---------------------------------------------------------------- rows of one table or select

class SqlRowSource : public RowSource {
public:
    SqlRowSource(SqlProvider& provider, QSqlQuery query, std::optional<TableSchema> table)
        : provider_(provider), query_(std::move(query)), table_(std::move(table))
    {
        const QSqlRecord record = query_.record();
        for (int i = 0; i < record.count(); ++i) {
            const QSqlField f = record.field(i);
            FieldInfo info;
            info.name = f.name();
            info.type = typeOfMeta(static_cast<QMetaType::Type>(f.metaType().id()));
            info.width = info.type == FieldType::Text && f.length() > 0 ? f.length() : 0;
            int column = -1;
            if (table_) {
                for (size_t c = 0; c < table_->columns.size() && column < 0; ++c)
                    if (table_->columns[c].name.compare(f.name(), Qt::CaseInsensitive) == 0)
                        column = static_cast<int>(c);
                if (column >= 0) {
                    const FieldInfo& declared = table_->columns[static_cast<size_t>(column)];
                    info.type = declared.type;
                    info.width = declared.width;
                }
            }
            fields_.push_back(info);
            columnOf_.push_back(column);
        }
        // Rows are named by their key columns when the result holds them all.
        if (table_ && !table_->primaryKey.empty()) {
            for (int pk : table_->primaryKey) {
                const auto at = std::find(columnOf_.begin(), columnOf_.end(), pk);
                if (at == columnOf_.end()) {
                    keyFields_.clear();
                    break;
                }
                keyFields_.push_back(static_cast<int>(at - columnOf_.begin()));
            }
        }
    }

    const std::vector<FieldInfo>& fields() const override { return fields_; }

    void readRows(RowSink& sink) override
    {
        const int n = static_cast<int>(fields_.size());
        RowKey key = 0;
        while (query_.next()) {
            std::vector<Value> values;
            values.reserve(static_cast<size_t>(n));
            for (int i = 0; i < n; ++i)
                values.push_back(fromVariant(query_.value(i), fields_[static_cast<size_t>(i)].type));
            sink.addRow(key++, std::move(values));
        }
        if (query_.lastError().isValid())
            provider_.raise(query_.lastError(), query_.lastQuery());
        query_.finish();
    }

    Value fromText(int field, const QString& text) const override
    {
        return RowSource::fromText(field, text);
    }

    RowKey insertRow(std::span<const Value> values, const std::vector<bool>& assigned) override
    {
        requireTable();
        QStringList columns, marks;
        QVariantList binds;
        for (size_t i = 0; i < fields_.size(); ++i) {
            if (!assigned[i])
                continue;
            columns << quoteIdentifier(columnName(i));
            marks << QStringLiteral("?");
            binds << toVariant(values[i]);
        }
        const QString sql = columns.isEmpty()
            ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoteIdentifier(table_->name))
            : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                  .arg(quoteIdentifier(table_->name), columns.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
        run(sql, binds);
        return 0;
    }

    void updateRow(RowKey, std::span<const Value> original, std::span<const Value> values,
                   const std::vector<bool>& changed) override
    {
        requireTable();
        QStringList sets;
        QVariantList binds;
        for (size_t i = 0; i < fields_.size(); ++i) {
            if (!changed[i])
                continue;
            sets << quoteIdentifier(columnName(i)) + QStringLiteral("=?");
            binds << toVariant(values[i]);
        }
        if (sets.isEmpty())
            return;
        const QString sql = QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                                .arg(quoteIdentifier(table_->name), sets.join(QLatin1Char(',')), whereRow(original, binds));
        runOnOneRow(sql, binds);
    }

    void deleteRow(RowKey, std::span<const Value> original) override
    {
        requireTable();
        QVariantList binds;
        const QString sql = QStringLiteral("DELETE FROM %1 WHERE %2").arg(quoteIdentifier(table_->name), whereRow(original, binds));
        runOnOneRow(sql, binds);
    }

private:
    void requireTable() const
    {
        if (!table_)
            throw Error(QStringLiteral("The rows of this query cannot be changed: it does not read one table."));
        for (int c : columnOf_)
            if (c < 0)
                throw Error(QStringLiteral("The rows of this query cannot be changed: it has columns that are not columns of %1.").arg(table_->name));
    }

    QString columnName(size_t field) const { return table_->columns[static_cast<size_t>(columnOf_[field])].name; }

    // The condition that names the stored row: its key, or else all the values it was read with.
    QString whereRow(std::span<const Value> original, QVariantList& binds) const
    {
        QStringList terms;
        std::vector<int> which = keyFields_;
        if (which.empty())
            for (size_t i = 0; i < fields_.size(); ++i)
                which.push_back(static_cast<int>(i));
        for (int f : which) {
            const Value& v = original[static_cast<size_t>(f)];
            const QString column = quoteIdentifier(columnName(static_cast<size_t>(f)));
            if (v.isNull()) {
                terms << column + QStringLiteral(" IS NULL");
            } else {
                terms << column + QStringLiteral("=?");
                binds << toVariant(v);
            }
        }
        return terms.join(QStringLiteral(" AND "));
    }

    // Statements are prepared once per text: an import posts thousands of rows of one shape.
    int run(const QString& sql, const QVariantList& binds)
    {
        auto found = prepared_.find(sql);
        if (found == prepared_.end()) {
            QSqlQuery fresh(provider_.database());
            if (!fresh.prepare(sql))
                provider_.raise(fresh.lastError(), sql);
            found = prepared_.emplace(sql, std::move(fresh)).first;
        }
        QSqlQuery& q = found->second;
        for (int i = 0; i < binds.size(); ++i)
            q.bindValue(i, binds[i]);
        if (!q.exec())
            provider_.raise(q.lastError(), sql);
        return q.numRowsAffected();
    }

    // An update or delete must touch exactly the row it was read from; anything else is undone.
    void runOnOneRow(const QString& sql, const QVariantList& binds)
    {
        const bool own = !provider_.inBatch();
        if (own && !provider_.database().transaction())
            provider_.raise(provider_.database().lastError(), sql);
        int affected = 0;
        try {
            affected = run(sql, binds);
        } catch (...) {
            if (own)
                provider_.database().rollback();
            throw;
        }
        if (affected != 1) {
            if (own)
                provider_.database().rollback();
            throw Error(affected == 0
                ? QStringLiteral("The row was not found in %1: another program changed or deleted it.").arg(table_->name)
                : QStringLiteral("The row is not unique in %1: %2 rows hold the same values, none was changed.").arg(table_->name).arg(affected));
        }
        if (own && !provider_.database().commit())
            provider_.raise(provider_.database().lastError(), sql);
    }

    SqlProvider& provider_;
    QSqlQuery query_;
    std::optional<TableSchema> table_;
    std::vector<FieldInfo> fields_;
    std::vector<int> columnOf_; // table column of each field, -1 for computed ones
    std::vector<int> keyFields_;
    std::map<QString, QSqlQuery> prepared_;
};

// ---------------------------------------------------------------- provider

SqlProvider::SqlProvider(QSqlDatabase db) : db_(std::move(db)), connectionName_(db_.connectionName()) {}

SqlProvider::~SqlProvider()
{
    if (inBatch_)
        db_.rollback();
    db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(connectionName_);
}

QString SqlProvider::errorText(const QSqlError& error) const
{
    const QString text = error.databaseText().trimmed();
    return text.isEmpty() ? error.driverText().trimmed() : text;
}

void SqlProvider::raise(const QSqlError& error, const QString& statement) const
{
    QString text = errorText(error);
    if (text.isEmpty())
        text = QStringLiteral("The database refused the statement");
    if (!statement.isEmpty())
        text += QStringLiteral(" [%1]").arg(statement.simplified().left(300));
    throw Error(text);
}

QStringList SqlProvider::tableNames()
{
    return listTables();
}

std::optional<TableSchema> SqlProvider::findTable(const QString& name)
{
    if (tableCache_.isEmpty())
        tableCache_ = listTables();
    const QString key = name.toCaseFolded();
    const auto cached = schemaCache_.constFind(key);
    if (cached != schemaCache_.cend())
        return *cached;
    for (const QString& t : std::as_const(tableCache_)) {
        if (t.compare(name, Qt::CaseInsensitive) == 0) {
            TableSchema schema = describeTable(t);
            schemaCache_.insert(key, schema);
            return schema;
        }
    }
    return std::nullopt;
}

std::unique_ptr<RowSource> SqlProvider::openTable(const QString& commandText)
{
    QString name = commandText.trimmed();
    if (name.startsWith(QLatin1Char('[')) && name.endsWith(QLatin1Char(']')))
        name = name.mid(1, name.size() - 2);
    std::optional<TableSchema> schema = findTable(name);
    if (!schema)
        throw Error(QStringLiteral("The table '%1' does not exist in the database.").arg(name));
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    const QString sql = QStringLiteral("SELECT * FROM %1").arg(quoteIdentifier(schema->name));
    if (!q.exec(sql))
        raise(q.lastError(), sql);
    return std::make_unique<SqlRowSource>(*this, std::move(q), std::move(schema));
}

namespace {

void bindAll(QSqlQuery& q, const QStringList& names, const Parameters& params)
{
    for (int i = 0; i < names.size(); ++i) {
        Value v;
        for (const Parameter& p : params)
            if (p.name.compare(names[i], Qt::CaseInsensitive) == 0)
                v = p.value;
        q.bindValue(i, toVariant(v));
    }
}

} // namespace

std::unique_ptr<RowSource> SqlProvider::openQuery(const QString& statement, const Parameters& params)
{
    QStringList names;
    const QString sql = positionalStatement(statement, &names);
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        raise(q.lastError(), statement);
    bindAll(q, names, params);
    if (!q.exec())
        raise(q.lastError(), statement);
    if (!q.isSelect())
        throw Error(QStringLiteral("The statement returns no rows [%1]").arg(statement.simplified()));
    const QString table = selectedTable(statement);
    std::optional<TableSchema> schema;
    if (!table.isEmpty())
        schema = findTable(table);
    return std::make_unique<SqlRowSource>(*this, std::move(q), std::move(schema));
}

int SqlProvider::execute(const QString& statement, const Parameters& params)
{
    QStringList names;
    const QString sql = positionalStatement(statement, &names);
    QSqlQuery q(db_);
    if (!q.prepare(sql))
        raise(q.lastError(), statement);
    bindAll(q, names, params);
    if (!q.exec())
        raise(q.lastError(), statement);
    static const QRegularExpression ddl(QStringLiteral("^\\s*(create|drop|alter)\\b"), QRegularExpression::CaseInsensitiveOption);
    if (ddl.match(statement).hasMatch()) { // the statement may have made, dropped or changed a table
        tableCache_.clear();
        schemaCache_.clear();
    }
    return q.numRowsAffected();
}

void SqlProvider::beginBatch()
{
    if (inBatch_)
        return;
    if (!db_.transaction())
        raise(db_.lastError(), QStringLiteral("BEGIN"));
    inBatch_ = true;
}

void SqlProvider::commitBatch()
{
    if (!inBatch_)
        return;
    inBatch_ = false;
    if (!db_.commit()) {
        const QSqlError e = db_.lastError();
        db_.rollback();
        raise(e, QStringLiteral("COMMIT"));
    }
}

void SqlProvider::rollbackBatch()
{
    if (!inBatch_)
        return;
    inBatch_ = false;
    db_.rollback();
}

} // namespace data
