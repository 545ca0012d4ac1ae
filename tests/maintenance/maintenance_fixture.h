#pragma once

#include "data/business_schema.h"
#include "data/connection.h"
#include "data/dataset.h"
#include "data/progress.h"
#include "scripted_dialog.h"
#include "tests/support/business_database.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <utility>
#include <vector>

// Records every progress step as (done, total).
class RecordingProgress : public data::Progress {
public:
    bool advance(int done, int total, const QString&) override
    {
        steps.emplace_back(done, total);
        return true;
    }
    std::vector<std::pair<int, int>> steps;
};

// A fresh business database on one backend, reached as the window reaches it: ConnADO with the
// work queries qryID and qryTable over it.
class MaintenanceTest : public ::testing::TestWithParam<QString> {
protected:
    void SetUp() override { freshDatabase(); }

    // An empty database again (for each case of a table), ConnADO not yet connected to it.
    void freshDatabase()
    {
        ConnADO.disconnect();
        db.reset();
        db = std::make_unique<testsupport::BusinessDatabase>(GetParam());
        ConnADO.setLoginPrompt(false);
        ConnADO.setConnectionString(db->connectionString());
    }

    // The program's folder with a Client.sdb beside it: for the file backend the business
    // database itself, for a server an unrelated file lying there.
    QString folderWithClientFile()
    {
        if (!db->sqlitePath().isEmpty())
            return QFileInfo(db->sqlitePath()).absolutePath();
        const QString file = otherFolder.filePath(QStringLiteral("Client.sdb"));
        if (!QFileInfo::exists(file))
            data::createBusinessDatabase(file, false);
        return otherFolder.path();
    }
    // A program folder without Client.sdb: the backup fails there.
    QString folderWithoutClientFile() { return emptyFolder.path(); }

    static int backupsIn(const QString& folder)
    {
        return static_cast<int>(QDir(folder + QStringLiteral("/Data")).entryList(QDir::Files).size());
    }

    QString scalar(const QString& select) { return db->column(select).value(0); }

    // Runs one statement as it stands, without splitting it at semicolons (trigger bodies).
    void execWhole(const QString& statement)
    {
        data::Connection conn(QStringLiteral("setup"));
        conn.setConnectionString(db->connectionString());
        data::Query q(QStringLiteral("setup"), &conn);
        q.setSql(statement);
        q.execSql();
    }

    // Makes every update of T_DeliveryOrder whose new row satisfies `condition` fail.
    void refuseOrderUpdatesWhere(const QString& condition)
    {
        if (GetParam() == QLatin1String("sqlite")) {
            execWhole(QStringLiteral("CREATE TRIGGER refuse_order BEFORE UPDATE ON T_DeliveryOrder WHEN %1 "
                                     "BEGIN SELECT RAISE(ABORT, 'order refused'); END").arg(condition));
        } else {
            execWhole(QStringLiteral("CREATE FUNCTION refuse_order() RETURNS trigger AS $$ "
                                     "BEGIN RAISE EXCEPTION 'order refused'; END $$ LANGUAGE plpgsql"));
            execWhole(QStringLiteral("CREATE TRIGGER refuse_order BEFORE UPDATE ON T_DeliveryOrder FOR EACH ROW "
                                     "WHEN (%1) EXECUTE FUNCTION refuse_order()").arg(condition));
        }
    }

    std::unique_ptr<testsupport::BusinessDatabase> db;
    data::Connection ConnADO{QStringLiteral("ConnADO")};
    data::Query qryTable{QStringLiteral("qryTable"), &ConnADO};
    data::Query qryID{QStringLiteral("qryID"), &ConnADO};
    ScriptedDialog dialog;
    RecordingProgress progress;
    QTemporaryDir otherFolder;
    QTemporaryDir emptyFolder;
};

inline std::string backendName(const ::testing::TestParamInfo<QString>& info)
{
    return info.param.toStdString();
}
