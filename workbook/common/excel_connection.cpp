#include "workbook/common/excel_connection.h"

namespace workbook {

QString excelConnectionString(OfficeFormat office, const QString& path)
{
    if (office == OfficeFormat::Office2003) {
        const QString password, userId = QStringLiteral("Admin"), dbPassword = QStringLiteral("pkm314782"), newDbPassword;
        return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Extended Properties=excel 8.0;Password=%1;User ID=%2;"
                              "Data Source=%3;Jet OLEDB:Database Password=%4;Jet OLEDB:New Database Password=%5;")
            .arg(password, userId, path, dbPassword, newDbPassword);
    }
    const QString apostrophes = QStringLiteral("''");
    return QStringLiteral("Provider=Microsoft.ACE.OLEDB.12.0;Password=\"\";Data Source=%1;Extended Properties=%2;"
                          "Excel 12.0;IMEX=1;HDR=YES%3Persist Security Info=True;")
        .arg(path, apostrophes, apostrophes);
}

} // namespace workbook
