#include "settings/data_set_settings.h"

#include "settings/ini_file.h"

namespace settings {

TDataSetStr DataSetInfo;

void ReadDataSetStr(const QString& iniPath, const QByteArray& section, TDataSetStr& record)
{
    // Exact comparison here, even though the file's section names match in any case.
    if (section != "Database")
        return;
    const IniFile ini(iniPath);

    // The order in which the keys are read; each goes to the field of its own name.
    const struct {
        const char* key;
        QByteArray TDataSetStr::*field;
    } keys[] = {
        {"DataType", &TDataSetStr::DataType}, {"Source", &TDataSetStr::Source},
        {"UserID", &TDataSetStr::UserID},     {"Password", &TDataSetStr::Password},
        {"Catalog", &TDataSetStr::Catalog},   {"DataPath", &TDataSetStr::DataPath},
    };
    for (const auto& entry : keys)
        record.*entry.field = DecryptStr(ini.readString(section, entry.key, QByteArray()), QByteArray());
}

} // namespace settings
