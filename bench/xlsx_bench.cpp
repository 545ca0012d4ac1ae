// Opening the .xlsx reference sheet to a table ready for the grid, one posted edit, and peak
// memory, next to openpyxl (read-only mode) and SheetJS reading the same file in the same run.
//
// usage: xlsx_bench [RUNS]   (makes the reference file with openpyxl in a temporary folder and
// installs SheetJS there with npm; without npm or network the SheetJS ratio is left out)
#include "data/provider.h"
#include "workbook/common/engine.h"
#include "workbook/common/sheet_source.h"
#include "workbook/common/table_naming.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

QString run(const QString& program, const QStringList& args, const QString& folder = QString())
{
    QProcess p;
    if (!folder.isEmpty())
        p.setWorkingDirectory(folder);
    p.start(program, args);
    p.waitForFinished(-1);
    if (p.exitCode() != 0)
        std::fprintf(stderr, "%s\n", p.readAllStandardError().constData());
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

struct Rows : data::RowSink {
    std::vector<std::pair<data::RowKey, std::vector<data::Value>>> rows;
    void addRow(data::RowKey key, std::vector<data::Value>&& values) override { rows.emplace_back(key, std::move(values)); }
};

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("reference.xlsx"));
    run(QStringLiteral(VARNELO_PYTHON), {QStringLiteral(BENCH_DIR "/make_xlsx_reference.py"), path});
    std::printf("reference sheet: %lld bytes\n", QFile(path).size());

    std::vector<double> open, edit, nextEdit, openpyxl, sheetjs;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        auto book = workbook::openXlsx(path);
        workbook::SheetSource source(*book, workbook::resolveTable(*book, QStringLiteral("[Sheet1$]")));
        Rows rows;
        source.readRows(rows);
        open.push_back(t.nsecsElapsed() / 1e9);
        if (rows.rows.size() != 100000)
            std::fprintf(stderr, "read %zu rows\n", rows.rows.size());

        const auto& [key, original] = rows.rows[50000];
        std::vector<data::Value> edited = original;
        edited[1] = source.fromText(1, QStringLiteral("改过 %1").arg(i));
        edited[4] = source.fromText(4, QStringLiteral("%1.5").arg(i));
        std::vector<bool> changed(edited.size(), false);
        changed[1] = changed[4] = true;
        t.restart();
        source.updateRow(key, original, edited, changed);
        edit.push_back(t.nsecsElapsed() / 1e9);

        // A second edit in the same session: the sheet text is already inflated.
        std::vector<data::Value> again = edited;
        again[1] = source.fromText(1, QStringLiteral("再改 %1").arg(i));
        t.restart();
        source.updateRow(key, edited, again, changed);
        nextEdit.push_back(t.nsecsElapsed() / 1e9);
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);

    QString sheetjsModule;
    if (!run(QStringLiteral("npm"), {"install", "--silent", "--no-audit", "--no-fund", "--prefix", dir.path(), "xlsx"}).isNull() &&
        QFile::exists(dir.filePath("node_modules/xlsx/package.json")))
        sheetjsModule = dir.filePath("node_modules/xlsx");
    for (int i = 0; i < runs; ++i) {
        openpyxl.push_back(run(QStringLiteral(VARNELO_PYTHON), {QStringLiteral(BENCH_DIR "/openpyxl_read.py"), path})
                               .section(u' ', 0, 0).toDouble());
        if (!sheetjsModule.isEmpty())
            sheetjs.push_back(run(QStringLiteral("node"), {QStringLiteral(BENCH_DIR "/sheetjs_read.js"), sheetjsModule, path})
                                  .section(u' ', 0, 0).toDouble());
    }
    const double o = median(open);
    std::printf("open to table ready:   %.3f s (median of %d)\n", o, runs);
    std::printf("one posted edit:       %.3f s (first of the session)\n", median(edit));
    std::printf("next posted edit:      %.3f s\n", median(nextEdit));
    std::printf("peak RSS:              %ld MB\n", usage.ru_maxrss / 1024);
    std::printf("openpyxl read-only:    %.3f s, ratio %.1fx\n", median(openpyxl), median(openpyxl) / o);
    if (!sheetjs.empty())
        std::printf("SheetJS:               %.3f s, ratio %.1fx\n", median(sheetjs), median(sheetjs) / o);
    else
        std::printf("SheetJS:               not available (npm install failed)\n");
    return 0;
}
