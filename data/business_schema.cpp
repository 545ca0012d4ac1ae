#include "data/business_schema.h"

#include "data/error.h"
#include "data/schema_sql.h" // generated from schema/sqlite.sql and schema/demo.sql

#include <QAtomicInt>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace data {

namespace {

void runScript(QSqlDatabase& db, const char* script)
{
    for (const QString& statement : QString::fromUtf8(script).split(QLatin1Char(';'))) {
        QString sql;
        for (const QString& line : statement.split(QLatin1Char('\n')))
            if (!line.trimmed().startsWith(QLatin1String("--")))
                sql += line + QLatin1Char('\n');
        if (sql.trimmed().isEmpty())
            continue;
        QSqlQuery q(db);
        if (!q.exec(sql))
            throw Error(QStringLiteral("Creating the business database failed: %1").arg(q.lastError().text()));
    }
}

} // namespace

void createBusinessDatabase(const QString& path, bool withDemoRows)
{
    if (QFileInfo::exists(path))
        throw Error(QStringLiteral("'%1' already exists; it is left as it is.").arg(path));
    const QString temporary = path + QStringLiteral(".creating");
    QFile::remove(temporary);
    static QAtomicInt counter;
    const QString name = QStringLiteral("varnelo-create-%1").arg(counter.fetchAndAddRelaxed(1));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(temporary);
        try {
            if (!db.open())
                throw Error(QStringLiteral("Cannot create '%1': %2").arg(path, db.lastError().text()));
            db.transaction();
            runScript(db, schemaSql);
            if (withDemoRows)
                runScript(db, demoSql);
            if (!db.commit())
                throw Error(QStringLiteral("Cannot create '%1': %2").arg(path, db.lastError().text()));
            db.close();
        } catch (...) {
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(name);
            QFile::remove(temporary);
            throw;
        }
    }
    QSqlDatabase::removeDatabase(name);
    // link() fails when the name is taken, so a file made meanwhile by someone else is kept.
    if (::link(QFile::encodeName(temporary).constData(), QFile::encodeName(path).constData()) != 0) {
        QFile::remove(temporary);
        throw Error(QStringLiteral("Cannot create '%1': %2").arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    }
    QFile::remove(temporary);
}

} // namespace data
