#include "cli/workbook_options.h"

namespace cli {

std::optional<workbook::OfficeFormat> takeOfficeOption(QStringList& args)
{
    workbook::OfficeFormat office = workbook::OfficeFormat::Office2007;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] != QLatin1String("--office"))
            continue;
        const QString value = i + 1 < args.size() ? args[i + 1] : QString();
        if (value == QLatin1String("2003"))
            office = workbook::OfficeFormat::Office2003;
        else if (value != QLatin1String("2007"))
            return std::nullopt;
        args.remove(i, 2);
        --i;
    }
    return office;
}

} // namespace cli
