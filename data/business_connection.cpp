#include "data/business_connection.h"

#include "data/connection.h"

namespace data {

namespace {

QByteArray trimmedControl(const QByteArray& s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= 32)
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32)
        --e;
    return s.mid(b, e - b);
}

} // namespace

QString businessConnectionString(const settings::TDataSetStr& s, const QString& exeDirWithSeparator)
{
    using settings::fromGbk;
    if (s.DataType == QByteArrayLiteral("SQL")) {
        return QStringLiteral("Provider=SQLOLEDB.1;Password=") + fromGbk(s.Password)
               + QStringLiteral(";Persist Security Info=True;User ID=") + fromGbk(s.UserID)
               + QStringLiteral(";Initial Catalog=") + fromGbk(s.Catalog)
               + QStringLiteral(";Data Source=") + fromGbk(s.Source);
    }
    const QString jetTail = QStringLiteral(";Persist Security Info=False;Jet OLEDB:Database Password=KTlindervaspul.");
    if (!trimmedControl(s.DataPath).isEmpty())
        return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + fromGbk(s.DataPath) + jetTail;
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + exeDirWithSeparator
           + QStringLiteral("Client.sdb") + jetTail;
}

void startUpConnection(Connection& ConnADO, const QString& exeDir)
{
    try {
        QString dir = exeDir;
        while (dir.size() > 1 && dir.endsWith(QLatin1Char('/')))
            dir.chop(1);
        const QString withSeparator = dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
        settings::TDataSetStr record;
        settings::ReadDataSetStr(withSeparator + QStringLiteral("DataSet.ini"), QByteArrayLiteral("Database"), record);
        settings::DataSetInfo = record;
        ConnADO.disconnect();
        ConnADO.setLoginPrompt(false);
        ConnADO.setConnectionString(businessConnectionString(settings::DataSetInfo, withSeparator));
        ConnADO.connect();
    } catch (...) {
        // Start-up goes on without the business database; the first command that needs it retries.
    }
}

} // namespace data
