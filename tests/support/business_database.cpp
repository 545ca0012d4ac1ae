#include "tests/support/business_database.h"

#include "data/business_schema.h"
#include "data/connection.h"
#include "data/dataset.h"
#include "data/error.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <stdexcept>
#include <unistd.h>

namespace testsupport {

namespace {

QString serverString()
{
    return qEnvironmentVariable("VARNELO_TEST_PG");
}

QString withCatalog(const QString& cs, const QString& catalog)
{
    QString out = cs;
    out.replace(QStringLiteral("Initial Catalog=varnelo_test"), QStringLiteral("Initial Catalog=") + catalog);
    return out;
}

void runStatements(const QString& connectionString, const QString& script)
{
    data::Connection conn(QStringLiteral("setup"));
    conn.setConnectionString(connectionString);
    data::Query q(QStringLiteral("setup"), &conn);
    for (const QString& statement : script.split(QLatin1Char(';'))) {
        QString sql;
        for (const QString& line : statement.split(QLatin1Char('\n')))
            if (!line.trimmed().startsWith(QLatin1String("--")))
                sql += line + QLatin1Char('\n');
        if (sql.trimmed().isEmpty())
            continue;
        q.setSql(sql);
        q.execSql();
    }
}

} // namespace

QStringList backendNames()
{
    QStringList names{QStringLiteral("sqlite")};
    if (!serverString().isEmpty())
        names << QStringLiteral("postgresql");
    else if (qEnvironmentVariable("CI") == QLatin1String("true"))
        throw std::runtime_error("CI=true but no PostgreSQL test server was started (VARNELO_TEST_PG is empty)");
    return names;
}

BusinessDatabase::BusinessDatabase(const QString& backend) : backend_(backend)
{
    static QAtomicInt counter;
    const int n = counter.fetchAndAddRelaxed(1);
    if (backend == QLatin1String("sqlite")) {
        directory_ = QDir::tempPath() + QStringLiteral("/varnelo-test-%1-%2").arg(::getpid()).arg(n);
        QDir().mkpath(directory_);
        sqlitePath_ = directory_ + QStringLiteral("/Client.sdb");
        data::createBusinessDatabase(sqlitePath_, false);
        connectionString_ = QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + sqlitePath_
                            + QStringLiteral(";Persist Security Info=False;Jet OLEDB:Database Password=KTlindervaspul.");
        return;
    }
    if (serverString().isEmpty())
        throw std::runtime_error("no PostgreSQL test server (VARNELO_TEST_PG)");
    serverDatabase_ = QStringLiteral("varnelo_%1_%2").arg(::getpid()).arg(n);
    runStatements(serverString(), QStringLiteral("DROP DATABASE IF EXISTS %1;CREATE DATABASE %1").arg(serverDatabase_));
    connectionString_ = withCatalog(serverString(), serverDatabase_);
    QFile schema(QStringLiteral(VARNELO_SCHEMA_DIR "/postgresql.sql"));
    if (!schema.open(QIODevice::ReadOnly))
        throw std::runtime_error("schema/postgresql.sql not found");
    runStatements(connectionString_, QString::fromUtf8(schema.readAll()));
}

BusinessDatabase::~BusinessDatabase()
{
    if (!directory_.isEmpty())
        QDir(directory_).removeRecursively();
    if (!serverDatabase_.isEmpty()) {
        try {
            runStatements(serverString(), QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(serverDatabase_));
        } catch (const data::Error&) {
            // a leftover test database is harmless; the server is private to the test run
        }
    }
}

void BusinessDatabase::exec(const QString& sql)
{
    runStatements(connectionString_, sql);
}

QStringList BusinessDatabase::column(const QString& select)
{
    data::Connection conn(QStringLiteral("check"));
    conn.setConnectionString(connectionString_);
    data::Query q(QStringLiteral("check"), &conn);
    q.setSql(select);
    q.open();
    QStringList out;
    for (q.first(); !q.eof(); q.next())
        out << q.fields(0).asText();
    return out;
}

} // namespace testsupport
