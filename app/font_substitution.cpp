#include "app/font_substitution.h"

#include <QFont>
#include <QStringList>

void installFontSubstitutions()
{
    const QString song = QStringLiteral("AR PL UMing CN");
    const QString cjkSans = QStringLiteral("WenQuanYi Micro Hei");
    QFont::insertSubstitutions(QStringLiteral("宋体"), {song, cjkSans});
    QFont::insertSubstitutions(QStringLiteral("SimSun"), {song, cjkSans});
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), {QStringLiteral("DejaVu Sans"), cjkSans});
}
