#include "data/odbc_provider.h"

#include "data/connection_string.h"
#include "data/error.h"
#include "data/sql_provider.h"

#include <QAtomicInt>
#include <QSqlError>
#include <QSqlField>
#include <QSqlIndex>
#include <QSqlRecord>

namespace data {

namespace {

constexpr int loginTimeoutSeconds = 15;

constexpr int odbcBitType = -7; // SQL_BIT: SQL Server's bit, PostgreSQL's boolean

FieldType typeOfField(const QSqlField& f)
{
    if (f.typeID() == odbcBitType)
        return FieldType::Boolean;
    switch (f.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UInt:
    case QMetaType::ULongLong: return FieldType::Integer;
    case QMetaType::Double:
    case QMetaType::Float: return FieldType::Float;
    case QMetaType::Bool: return FieldType::Boolean;
    case QMetaType::QDate:
    case QMetaType::QDateTime: return FieldType::DateTime;
    case QMetaType::QString: return FieldType::Text;
    default: return FieldType::Variant;
    }
}

class OdbcProvider : public SqlProvider {
public:
    explicit OdbcProvider(QSqlDatabase db) : SqlProvider(std::move(db)) {}

protected:
    QStringList listTables() override
    {
        QStringList names = database().tables(QSql::Tables) + database().tables(QSql::Views);
        names.removeIf([](const QString& n) {
            return n.startsWith(QLatin1String("information_schema."), Qt::CaseInsensitive)
                || n.startsWith(QLatin1String("pg_"), Qt::CaseInsensitive)
                || n.startsWith(QLatin1String("sys."), Qt::CaseInsensitive)
                || n.startsWith(QLatin1String("INFORMATION_SCHEMA"), Qt::CaseInsensitive);
        });
        names.removeDuplicates();
        return names;
    }

    TableSchema describeTable(const QString& realName) override
    {
        TableSchema schema;
        schema.name = realName;
        const QSqlRecord record = database().record(realName);
        for (int i = 0; i < record.count(); ++i) {
            const QSqlField f = record.field(i);
            FieldInfo info;
            info.name = f.name();
            info.type = typeOfField(f);
            info.width = info.type == FieldType::Text && f.length() > 0 && f.length() < 1000000 ? f.length() : 0;
            schema.columns.push_back(info);
        }
        const QSqlIndex pk = database().primaryIndex(realName);
        for (int i = 0; i < pk.count(); ++i)
            for (size_t c = 0; c < schema.columns.size(); ++c)
                if (schema.columns[c].name.compare(pk.fieldName(i), Qt::CaseInsensitive) == 0)
                    schema.primaryKey.push_back(static_cast<int>(c));
        return schema;
    }
};

QString odbcValue(const QString& v)
{
    const bool plain = !v.contains(QLatin1Char(';')) && !v.contains(QLatin1Char('{')) && !v.contains(QLatin1Char('}'))
                       && !v.contains(QLatin1Char('=')) && v == v.trimmed();
    if (plain)
        return v;
    QString q = v;
    q.replace(QLatin1Char('}'), QStringLiteral("}}"));
    return QLatin1Char('{') + q + QLatin1Char('}');
}

QString nextConnectionName()
{
    static QAtomicInt counter;
    return QStringLiteral("varnelo-odbc-%1").arg(counter.fetchAndAddRelaxed(1));
}

} // namespace

QString odbcConnectionString(const ConnectionString& cs, const QString& driver)
{
    QString host = cs.value(QStringLiteral("Data Source")).trimmed();
    QString port;
    const qsizetype comma = host.indexOf(QLatin1Char(','));
    if (comma >= 0) {
        port = host.mid(comma + 1).trimmed();
        host = host.left(comma).trimmed();
    }
    QString out = QStringLiteral("DRIVER={%1};SERVER=%2;").arg(driver, odbcValue(host));
    if (!port.isEmpty())
        out += QStringLiteral("PORT=%1;").arg(odbcValue(port));
    out += QStringLiteral("DATABASE=%1;UID=%2;PWD=%3;")
               .arg(odbcValue(cs.value(QStringLiteral("Initial Catalog"))),
                    odbcValue(cs.value(QStringLiteral("User ID"))),
                    odbcValue(cs.value(QStringLiteral("Password"))));
    // PostgreSQL's driver hands booleans over as text unless told otherwise.
    if (driver.contains(QLatin1String("PostgreSQL"), Qt::CaseInsensitive))
        out += QStringLiteral("BoolsAsChar=0;");
    return out;
}

std::unique_ptr<Provider> openOdbcProvider(const ConnectionString& cs)
{
    QString driver = qEnvironmentVariable("VARNELO_ODBC_DRIVER");
    if (driver.isEmpty())
        driver = QStringLiteral("FreeTDS");
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), nextConnectionName());
    db.setDatabaseName(odbcConnectionString(cs, driver));
    db.setConnectOptions(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1").arg(loginTimeoutSeconds));
    auto provider = std::make_unique<OdbcProvider>(db);
    if (!provider->database().open()) {
        const QSqlError e = provider->database().lastError();
        throw Error(QStringLiteral("Cannot connect to the database server '%1' (catalog '%2'): %3")
                        .arg(cs.value(QStringLiteral("Data Source")), cs.value(QStringLiteral("Initial Catalog")),
                             e.databaseText().isEmpty() ? e.text() : e.databaseText()));
    }
    return provider;
}

} // namespace data
