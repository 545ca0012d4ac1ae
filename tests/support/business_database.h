#pragma once

#include <QString>
#include <QStringList>

namespace testsupport {

// The backends the business-database tests run on: "sqlite" always, "postgresql" when the test
// command started its server (VARNELO_TEST_PG). Under CI a missing server fails the test run.
QStringList backendNames();

// A fresh business database with every table of schema/ and no rows, dropped at the end.
class BusinessDatabase {
public:
    explicit BusinessDatabase(const QString& backend);
    ~BusinessDatabase();
    BusinessDatabase(const BusinessDatabase&) = delete;
    BusinessDatabase& operator=(const BusinessDatabase&) = delete;

    const QString& backend() const { return backend_; }
    // The OLE DB connection string the program would build for it.
    const QString& connectionString() const { return connectionString_; }
    // The SQLite file (empty for a server).
    const QString& sqlitePath() const { return sqlitePath_; }
    // Runs statements separated by ';' (for seeding rows); raises data::Error.
    void exec(const QString& sql);
    // The first column of every row of a select, as text.
    QStringList column(const QString& select);

private:
    QString backend_;
    QString connectionString_;
    QString sqlitePath_;
    QString serverDatabase_;
    QString directory_;
};

} // namespace testsupport
