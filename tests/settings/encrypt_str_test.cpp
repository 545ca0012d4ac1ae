#include "settings/data_set_settings.h"

#include "data/error.h"
#include "qt_printers.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

bool isUpperHex(const QByteArray& text)
{
    for (const char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')))
            return false;
    return true;
}

void expectRoundTrip(const QByteArray& plain)
{
    const QByteArray stored = settings::EncryptStr(plain);
    EXPECT_EQ(stored.size(), 2 + 2 * plain.size()) << "stored as " << stored.constData();
    EXPECT_TRUE(isUpperHex(stored)) << stored.constData();
    EXPECT_EQ(settings::DecryptStr(stored, QByteArray()), plain) << "stored as " << stored.constData();
}

TEST(EncryptStr, EveryByteFromOneTo255RoundTrips)
{
    // Alone, after each other byte, and twice in a row, so that each meets many previous values.
    for (int byte = 1; byte <= 255; ++byte) {
        const char c = static_cast<char>(byte);
        expectRoundTrip(QByteArray(1, c));
        expectRoundTrip(QByteArray(3, c));
        for (int before = 1; before <= 255; before += 7)
            expectRoundTrip(QByteArray(1, static_cast<char>(before)) + c + static_cast<char>(before));
    }
}

TEST(EncryptStr, RandomValuesRoundTrip)
{
    QRandomGenerator random(20240607);
    for (int round = 0; round < 2000; ++round) {
        QByteArray plain(random.bounded(1, 80), '\0');
        for (char& c : plain)
            c = static_cast<char>(random.bounded(1, 256));
        expectRoundTrip(plain);
    }
}

TEST(EncryptStr, EmptyValueIsStoredEmpty)
{
    EXPECT_EQ(settings::EncryptStr(QByteArray()), QByteArray());
}

TEST(EncryptStr, RefusesTheByteZeroNamingIt)
{
    for (const QByteArray& plain : {QByteArray("\0", 1), QByteArray("ab\0c", 4)}) {
        try {
            settings::EncryptStr(plain);
            ADD_FAILURE() << "no error for a byte 0";
        } catch (const data::Error& error) {
            EXPECT_TRUE(error.message().contains(QLatin1String("0x00"))) << error.message().toStdString();
            EXPECT_TRUE(error.message().contains(QString::number(plain.indexOf('\0') + 1)))
                << error.message().toStdString();
        }
    }
}

} // namespace
