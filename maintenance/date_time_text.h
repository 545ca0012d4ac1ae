#pragma once

#include <QDateTime>
#include <QString>

namespace maintenance {

// The timestamp text of a moment, digits only: mode 0 gives year, month, day ("20250305");
// mode 1 adds hour and minute ("202503050907"). Month, day, hour and minute take two digits.
QString GetDateTimeText(quint8 mode, const QDateTime& moment);

} // namespace maintenance
