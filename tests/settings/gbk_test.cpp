#include "settings/data_set_settings.h"

#include "data/error.h"
#include "qt_printers.h"

#include <gtest/gtest.h>

namespace {

struct GbkCase {
    const char* what;
    QByteArray gbk;
    QString text;
};

// Code page 936 bytes and the text they stand for.
const GbkCase gbkCases[] = {
    {"ASCII", "Client.sdb", QStringLiteral("Client.sdb")},
    {"two Chinese characters", "\xC9\xCC\xC6\xB7", QStringLiteral(u"商品")},
    {"mixed path", "D:\\\xCA\xFD\xBE\xDD\\Client.sdb", QStringLiteral(u"D:\\数据\\Client.sdb")},
    {"the euro sign of code page 936", "\x80", QStringLiteral(u"€")},
    {"empty", "", QString()},
};

TEST(Gbk, DecodesAndEncodesCodePage936)
{
    for (const GbkCase& c : gbkCases) {
        EXPECT_EQ(settings::fromGbk(c.gbk), c.text) << c.what;
        EXPECT_EQ(settings::toGbk(c.text), c.gbk) << c.what;
    }
}

TEST(Gbk, BytesThatAreNotGbkDecodeToReplacementCharacters)
{
    EXPECT_EQ(settings::fromGbk("a\xFF" "b"), QStringLiteral(u"a\uFFFDb"));
    EXPECT_EQ(settings::fromGbk("\xC9\xCC\xC6"), QStringLiteral(u"商\uFFFD")); // cut inside a character
    EXPECT_EQ(settings::fromGbk(QByteArray("a\0b", 3)), QString::fromUtf16(u"a\0b", 3));
}

TEST(Gbk, CharactersOutsideGbkAreRefusedByName)
{
    const struct {
        QString text;
        QString refused;
    } cases[] = {
        {QStringLiteral(u"ab😀"), QStringLiteral(u"'😀' (U+1F600)")},
        {QStringLiteral(u"商品한국"), QStringLiteral(u"'한' (U+D55C)")},
    };
    for (const auto& c : cases) {
        try {
            settings::toGbk(c.text);
            ADD_FAILURE() << "no error for " << c.text.toStdString();
        } catch (const data::Error& error) {
            EXPECT_TRUE(error.message().contains(c.refused)) << error.message().toStdString();
        }
    }
}

} // namespace
