#include "xls_test_support.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <stdexcept>

namespace xlstest {

QString fixtureDir()
{
    static QTemporaryDir dir;
    static bool made = false;
    if (!made) {
        QProcess python;
        python.start(QStringLiteral(VARNELO_PYTHON),
                     {QStringLiteral(FIXTURES_DIR "/make_xls_fixtures.py"), dir.path()});
        if (!python.waitForFinished(60000) || python.exitCode() != 0)
            throw std::runtime_error("xlwt fixtures could not be made: " + python.readAllStandardError().toStdString());
        made = true;
    }
    return dir.path();
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    return f.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

QJsonObject xlrdReading(const QString& path)
{
    QProcess python;
    python.start(QStringLiteral(VARNELO_PYTHON), {QStringLiteral(FIXTURES_DIR "/xlrd_cells.py"), path});
    python.waitForFinished(60000);
    return QJsonDocument::fromJson(python.readAllStandardOutput().trimmed()).object();
}

} // namespace xlstest
