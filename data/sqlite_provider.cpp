#include "data/sqlite_provider.h"

#include "data/connection_string.h"
#include "data/error.h"
#include "data/sql_provider.h"

#include <QAtomicInt>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

namespace data {

namespace {

constexpr int lockWaitMs = 5000;

class SqliteProvider : public SqlProvider {
public:
    SqliteProvider(QSqlDatabase db, QString path) : SqlProvider(std::move(db)), path_(std::move(path)) {}

protected:
    QStringList listTables() override
    {
        QStringList names;
        QSqlQuery q(database());
        const QString sql = QStringLiteral(
            "SELECT name FROM sqlite_master WHERE type IN ('table','view') AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name");
        if (!q.exec(sql))
            raise(q.lastError(), sql);
        while (q.next())
            names << q.value(0).toString();
        return names;
    }

    TableSchema describeTable(const QString& realName) override
    {
        TableSchema schema;
        schema.name = realName;
        QSqlQuery q(database());
        QString quoted = realName;
        quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        const QString sql = QStringLiteral("PRAGMA table_info(\"%1\")").arg(quoted);
        if (!q.exec(sql))
            raise(q.lastError(), sql);
        std::vector<std::pair<int, int>> keyOrder; // (position in key, column)
        while (q.next()) {
            schema.columns.push_back(fieldFromDeclaredType(q.value(1).toString(), q.value(2).toString()));
            const int pk = q.value(5).toInt();
            if (pk > 0)
                keyOrder.emplace_back(pk, static_cast<int>(schema.columns.size()) - 1);
        }
        std::sort(keyOrder.begin(), keyOrder.end());
        for (const auto& [order, column] : keyOrder)
            schema.primaryKey.push_back(column);
        return schema;
    }

    QString errorText(const QSqlError& error) const override
    {
        const QString code = error.nativeErrorCode();
        if (code == QLatin1String("5") || code == QLatin1String("6"))
            return QStringLiteral("The database file %1 is in use by another program and stayed locked for %2 seconds; try again when it is free.")
                .arg(path_).arg(lockWaitMs / 1000);
        return SqlProvider::errorText(error);
    }

private:
    QString path_;
};

QString nextConnectionName()
{
    static QAtomicInt counter;
    return QStringLiteral("varnelo-sqlite-%1").arg(counter.fetchAndAddRelaxed(1));
}

} // namespace

FieldInfo fieldFromDeclaredType(const QString& name, const QString& declared)
{
    FieldInfo info;
    info.name = name;
    const QString t = declared.toUpper();
    static const QRegularExpression width(QStringLiteral("\\(\\s*(\\d+)"));
    if (t.contains(QLatin1String("INT"))) {
        info.type = FieldType::Integer;
    } else if (t.contains(QLatin1String("CHAR")) || t.contains(QLatin1String("TEXT")) || t.contains(QLatin1String("CLOB"))) {
        info.type = FieldType::Text;
        const auto m = width.match(t);
        if (m.hasMatch())
            info.width = m.captured(1).toInt();
    } else if (t.contains(QLatin1String("BOOL")) || t == QLatin1String("BIT") || t.contains(QLatin1String("YESNO"))) {
        info.type = FieldType::Boolean;
    } else if (t.contains(QLatin1String("DATE")) || t.contains(QLatin1String("TIME"))) {
        info.type = FieldType::DateTime;
    } else if (t.contains(QLatin1String("REAL")) || t.contains(QLatin1String("FLOA")) || t.contains(QLatin1String("DOUB"))
               || t.contains(QLatin1String("MONEY")) || t.contains(QLatin1String("CURRENCY"))
               || t.contains(QLatin1String("NUMERIC")) || t.contains(QLatin1String("DECIMAL"))) {
        info.type = FieldType::Float;
    } else {
        info.type = FieldType::Variant;
    }
    return info;
}

std::unique_ptr<Provider> openSqliteProvider(const ConnectionString& cs)
{
    const QString path = cs.value(QStringLiteral("Data Source"));
    if (path.trimmed().isEmpty())
        throw Error(QStringLiteral("No database file is named (Data Source is empty)."));
    QFile file(path);
    if (!QFileInfo(path).isFile())
        throw Error(QStringLiteral("Could not find the database file '%1'.").arg(path));
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("The database file '%1' cannot be read: %2").arg(path, file.errorString()));
    const QByteArray head = file.read(100);
    file.close();
    if (head.mid(4, 15) == QByteArrayLiteral("Standard Jet DB") || head.mid(4, 15) == QByteArrayLiteral("Standard ACE DB"))
        throw Error(QStringLiteral("'%1' is a Microsoft Access (Jet) database. This program reads SQLite business databases; "
                                   "convert the file first, or create a new one with 'varnelo-excel-cli init-db'.").arg(path));
    if (!head.isEmpty() && !head.startsWith(QByteArrayLiteral("SQLite format 3")))
        throw Error(QStringLiteral("'%1' is not a business database file (SQLite).").arg(path));

    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), nextConnectionName());
    db.setDatabaseName(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded)
                       + QStringLiteral("?mode=rw"));
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(lockWaitMs));
    auto provider = std::make_unique<SqliteProvider>(db, path);
    if (!provider->database().open())
        throw Error(QStringLiteral("The database file '%1' cannot be opened: %2").arg(path, provider->database().lastError().text()));
    QSqlQuery probe(provider->database());
    if (!probe.exec(QStringLiteral("PRAGMA schema_version")))
        throw Error(QStringLiteral("'%1' is not a business database file (SQLite): %2").arg(path, probe.lastError().databaseText()));
    return provider;
}

} // namespace data
