#include "settings/data_set_settings.h"

#include "data/error.h"

#include <QRandomGenerator>

namespace settings {
namespace {

const QByteArray defaultKey = QByteArrayLiteral("Lamp_Rod");

// The arithmetic wraps at 255, not 256: equal codes give the byte 255.
constexpr int wrap = 255;

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// One or two hexadecimal digits as a number; -1 when any of them is not a digit.
int hexNumber(QByteArrayView digits)
{
    int number = 0;
    for (char c : digits) {
        const int digit = hexDigit(c);
        if (digit < 0)
            return -1;
        number = number * 16 + digit;
    }
    return number;
}

} // namespace

QByteArray DecryptStr(const QByteArray& text, const QByteArray& key)
{
    // The cycle length is that of the key as given: with the empty key it is 0, so every byte
    // meets the first character of the default key. Stored settings depend on exactly this.
    const qsizetype keyLength = key.size();
    const QByteArray& usedKey = keyLength == 0 ? defaultKey : key;
    if (text.size() < 3)
        return {};

    int previous = hexNumber(QByteArrayView(text).first(2));
    if (previous < 0)
        return {};

    QByteArray plain;
    qsizetype keyPosition = 0;
    qsizetype textIndex = 2; // zero-based; the seed took the first two characters
    do {
        // Only a text of three characters ends on a lone digit; longer odd ones never read
        // their last character.
        const qsizetype digits = textIndex + 1 < text.size() ? 2 : 1;
        const int value = hexNumber(QByteArrayView(text).sliced(textIndex, digits));
        if (value < 0)
            return {};
        keyPosition = keyPosition < keyLength ? keyPosition + 1 : 1;
        const int t = static_cast<unsigned char>(usedKey[keyPosition - 1]) ^ value;
        const int byte = previous < t ? t - previous : t + wrap - previous;
        plain.append(static_cast<char>(byte));
        previous = value;
        textIndex += 2;
    } while (textIndex + 1 < text.size());
    return plain;
}

QByteArray EncryptStr(const QByteArray& plain)
{
    if (plain.isEmpty())
        return {};
    const int keyCode = static_cast<unsigned char>(defaultKey[0]);
    int previous = static_cast<int>(QRandomGenerator::global()->bounded(256));
    QByteArray text = QByteArray::number(previous, 16).rightJustified(2, '0');
    for (qsizetype i = 0; i < plain.size(); ++i) {
        const int byte = static_cast<unsigned char>(plain[i]);
        // A byte 0 only comes out after a stored 255; rather than bend the seed and the bytes
        // before it to reach that, it is refused: it has no place in a settings value anyway.
        if (byte == 0)
            throw data::Error(QStringLiteral("the byte 0x00 at position %1 cannot be stored in a settings value")
                                  .arg(i + 1));
        const int t = previous + byte <= wrap ? previous + byte : previous + byte - wrap;
        const int value = t ^ keyCode;
        text += QByteArray::number(value, 16).rightJustified(2, '0');
        previous = value;
    }
    return text.toUpper();
}

} // namespace settings
