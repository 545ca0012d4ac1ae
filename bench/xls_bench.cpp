// Opening the .xls reference sheet into a table, the first posted edit after opening and the
// edits that follow it, and peak memory, next to xlrd opening and reading the same file in the
// same run.
//
// usage: xls_bench [RUNS]   (makes the reference file with xlwt in a temporary folder)
#include "workbook/common/engine.h"
#include "workbook/common/sheet_model.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Resident memory now, from /proc/self/statm.
double residentMb()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * double(sysconf(_SC_PAGESIZE)) / (1024 * 1024) : 0;
}

QString python(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(VARNELO_PYTHON), args);
    p.waitForFinished(-1);
    if (p.exitCode() != 0)
        std::fprintf(stderr, "%s\n", p.readAllStandardError().constData());
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("reference.xls"));
    python({QStringLiteral(BENCH_DIR "/make_xls_reference.py"), path});
    std::printf("reference sheet: %s, %lld bytes\n", qPrintable(path), QFile(path).size());

    constexpr int kLaterEdits = 4;
    std::vector<double> open, firstEdit, laterEdit, xlrd;
    qint64 cells = 0;
    double residentBefore = residentMb();
    double residentOpen = 0;
    double residentEdited = 0;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        auto book = workbook::openXls(path);
        workbook::TableBuilder builder;
        book->readCells(0, builder);
        const workbook::TableContent table = builder.finish();
        open.push_back(t.nsecsElapsed() / 1e9);
        cells = qint64(table.records.size()) * qint64(table.fieldNames.size());
        if (i == 0)
            residentOpen = residentMb();

        for (int e = 0; e <= kLaterEdits; ++e) {
            t.restart();
            const workbook::CellWrite write[] = {
                {1, data::Value::text(QStringLiteral("改 %1 %2").arg(i).arg(e))},
                {4, data::Value::number(1.5 + i + e)}};
            book->writeCells(0, 30000 + 97 * e, write);
            book->save();
            (e == 0 ? firstEdit : laterEdit).push_back(t.nsecsElapsed() / 1e9);
        }

        if (i == 0)
            residentEdited = residentMb();
        xlrd.push_back(python({QStringLiteral(BENCH_DIR "/xlrd_read.py"), path}).toDouble());
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("records x fields: %lld cells\n", cells);
    std::printf("open to table ready: median %.3f s over %d runs\n", median(open), runs);
    std::printf("first posted edit after opening (write + save): median %.3f s\n", median(firstEdit));
    std::printf("later posted edits (write + save): median %.3f s over %zu\n", median(laterEdit), laterEdit.size());
    std::printf("xlrd open and read: median %.3f s  -> ratio %.1fx\n", median(xlrd), median(xlrd) / median(open));
    std::printf("peak RSS: %.1f MB\n", usage.ru_maxrss / 1024.0);
    std::printf("resident in the first run: %.1f MB at start, %.1f MB with the table ready, %.1f MB after the edits"
                " (table cells alone: %.1f MB of values)\n",
                residentBefore, residentOpen, residentEdited, double(cells) * sizeof(data::Value) / (1024 * 1024));
    return 0;
}
