#include "maintenance/date_time_text.h"

namespace maintenance {

namespace {

QString twoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

} // namespace

QString GetDateTimeText(quint8 mode, const QDateTime& moment)
{
    const QDate date = moment.date();
    QString text = QString::number(date.year()) + twoDigits(date.month()) + twoDigits(date.day());
    if (mode == 1) {
        const QTime time = moment.time();
        text += twoDigits(time.hour()) + twoDigits(time.minute());
    }
    return text;
}

} // namespace maintenance
