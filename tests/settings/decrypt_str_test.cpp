#include "settings/data_set_settings.h"

#include "qt_printers.h"

#include <gtest/gtest.h>

namespace {

struct DecryptCase {
    const char* what;
    QByteArray text;
    QByteArray key;
    QByteArray plain;
};

// Expected values worked out by hand. With the empty key every byte meets 'L' (0x4C):
// t = 0x4C xor value; the byte is t - previous when previous < t, else t + 255 - previous.
const DecryptCase decryptCases[] = {
    {"empty text", "", "", ""},
    {"one character", "4", "", ""},
    {"two characters, a seed alone", "4D", "", ""},
    {"one byte: t 1 over seed 0", "004D", "", "\x01"},
    {"one byte 'A': t 0x51 over seed 0x10", "101D", "", "A"},
    {"previous is the stored value, not t", "101D13", "", "AB"},
    {"lower-case digits decode alike", "101d13", "", "AB"},
    {"upper-case seed and value", "FF4CC1", "", QByteArray("\x00" "A", 2)},
    {"lower-case seed and value", "ff4cc1", "", QByteArray("\x00" "A", 2)},
    {"t equal to previous gives 255", "206C", "", "\xFF"},
    {"t below previous wraps at 255", "804D", "", "\x80"},
    {"t 0 after 255 gives a byte 0 that stays", "FF4C", "", QByteArray("\x00", 1)},
    {"three letters", "001F3CC4", "", "SQL"},
    {"length 3: third character alone as one digit", "101", "", "="},
    {"length 3 with a bad third character", "10G", "", ""},
    {"odd length 5: last character never read", "101D1", "", "A"},
    {"odd length 5: last character may be anything", "101DZ", "", "A"},
    {"odd length 7 equals its even prefix", "101D137", "", "AB"},
    {"bad hex digit in the seed", "G01D13", "", ""},
    {"bad second seed digit", "1x1D13", "", ""},
    {"bad digit in a later pair after good ones", "101D1G", "", ""},
    {"bad first digit of a later pair", "101DG3", "", ""},
    {"sign is not a hex digit", "101D+1", "", ""},
    {"blank is not a hex digit", "10 D13", "", ""},
    {"empty key: 'L' every time, not the default key in turn", "0000000000", "", "LLLL"},
    {"the default key passed explicitly cycles all eight", "0000000000", "Lamp_Rod", "Lamp"},
    {"key of length 3 runs 1,2,3,1", "0000000000", "abc", "abca"},
    {"key of length 3 with changing previous", "00010203", "abc", "`_^"},
};

TEST(DecryptStr, DecodesByTheStoredRules)
{
    for (const DecryptCase& c : decryptCases)
        EXPECT_EQ(settings::DecryptStr(c.text, c.key), c.plain) << c.what << ": " << c.text.constData();
}

} // namespace
