#include "cli/commands.h"

#include "data/error.h"
#include "settings/data_set_settings.h"
#include "settings/ini_file.h"

#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cstdio>
#include <iterator>

namespace cli {
namespace {

// The six settings in the order the program reads them, with the option that sets each.
struct SettingKey {
    const char* key;
    const char* option;
    QByteArray settings::TDataSetStr::*field;
};

const SettingKey settingKeys[] = {
    {"DataType", "--type", &settings::TDataSetStr::DataType},
    {"Source", "--source", &settings::TDataSetStr::Source},
    {"UserID", "--user", &settings::TDataSetStr::UserID},
    {"Password", "--password", &settings::TDataSetStr::Password},
    {"Catalog", "--catalog", &settings::TDataSetStr::Catalog},
    {"DataPath", "--path", &settings::TDataSetStr::DataPath},
};

// A stored value is a seed pair and a pair per byte; the reader takes at most 2047 characters.
constexpr qsizetype maxPlainBytes = (settings::IniFile::maxValueLength - 2) / 2;

QByteArray scrambledLine(const SettingKey& setting, const QString& value)
{
    QByteArray plain;
    try {
        plain = settings::toGbk(value);
    } catch (const data::Error& error) {
        throw data::Error(QLatin1String(setting.option) + QStringLiteral(": ") + error.message());
    }
    if (plain.size() > maxPlainBytes)
        throw data::Error(QStringLiteral("%1 is %2 bytes long in GBK; a settings value holds at most %3")
                              .arg(QLatin1String(setting.option))
                              .arg(plain.size())
                              .arg(maxPlainBytes));
    return QByteArray(setting.key) + '=' + settings::EncryptStr(plain) + '\n';
}

int writeSettings(const QStringList& args)
{
    QString values[std::size(settingKeys)];
    bool given[std::size(settingKeys)] = {};
    QString path;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (!arg.startsWith(QLatin1String("--"))) {
            if (!path.isEmpty())
                return fail(QStringLiteral("settings write takes one FILE, got '%1' and '%2'").arg(path, arg));
            path = arg;
            continue;
        }
        const qsizetype equals = arg.indexOf(u'=');
        const QString option = equals < 0 ? arg : arg.left(equals);
        const auto known = std::find_if(std::begin(settingKeys), std::end(settingKeys),
                                        [&](const SettingKey& s) { return option == QLatin1String(s.option); });
        if (known == std::end(settingKeys))
            return fail(QStringLiteral("settings write: unknown option '%1' (see --help)").arg(option));
        const std::size_t index = known - std::begin(settingKeys);
        if (given[index])
            return fail(QStringLiteral("settings write: %1 is given twice").arg(option));
        if (equals >= 0) {
            values[index] = arg.mid(equals + 1);
        } else {
            if (i + 1 >= args.size())
                return fail(QStringLiteral("settings write: %1 needs a value").arg(option));
            values[index] = args[++i];
        }
        given[index] = true;
    }
    if (path.isEmpty())
        return fail(QStringLiteral("settings write: FILE is missing (see --help)"));
    const QString& type = values[0];
    if (!type.isEmpty() && type != QLatin1String("SQL"))
        std::fprintf(stderr, "varnelo-excel-cli: note: only the exact type 'SQL' selects SQL Server; "
                             "'%s' selects the database file\n", type.toUtf8().constData());

    QByteArray content = "[Database]\n";
    try {
        for (std::size_t k = 0; k < std::size(settingKeys); ++k)
            content += scrambledLine(settingKeys[k], values[k]);
    } catch (const data::Error& error) {
        return fail(QStringLiteral("settings write: %1").arg(error.message()));
    }

    // Written beside the target and renamed over it, so a reader never sees half a file.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.commit())
        return fail(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    return 0;
}

// Control characters are shown as \xNN so that a value cannot steer the terminal.
QByteArray printable(const QString& text)
{
    QByteArray out;
    for (const char c : text.toUtf8()) {
        const auto code = static_cast<unsigned char>(c);
        if (code < 0x20 || code == 0x7F)
            out += "\\x" + QByteArray::number(code, 16).rightJustified(2, '0');
        else
            out += c;
    }
    return out;
}

int showSettings(const QStringList& args)
{
    if (args.size() != 1 || args.first().startsWith(QLatin1String("--")))
        return fail(QStringLiteral("usage: settings show FILE"));
    const QString& path = args.first();
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable())
        return fail(QStringLiteral("cannot read %1: %2").arg(path, info.exists() ? QStringLiteral("not a readable file")
                                                                                 : QStringLiteral("no such file")));

    settings::TDataSetStr record;
    settings::ReadDataSetStr(path, "Database", record);
    for (const SettingKey& setting : settingKeys) {
        const QByteArray& plain = record.*setting.field;
        const bool masked = setting.field == &settings::TDataSetStr::Password && !plain.isEmpty();
        const QString shown = masked ? QStringLiteral("********") : settings::fromGbk(plain);
        std::printf("%s=%s\n", setting.key, printable(shown).constData());
    }
    return 0;
}

} // namespace

int runSettings(const QStringList& args)
{
    const QString action = args.value(0);
    if (action == QLatin1String("write"))
        return writeSettings(args.mid(1));
    if (action == QLatin1String("show"))
        return showSettings(args.mid(1));
    if (action.isEmpty())
        return fail(QStringLiteral("settings needs 'write' or 'show' (see --help)"));
    return fail(QStringLiteral("settings: unknown action '%1' (see --help)").arg(action));
}

} // namespace cli
