#include <gtest/gtest.h>

#include <string>

#include "base/CodePage.h"

namespace tramelo {
namespace {

TEST(CodePageTest, Utf8ToCp1252TakesOnlyValidUtf8ThatTheCodePageHolds) {
    struct Case {
        std::string utf8;
        const char* lossy;
        bool strict;
    };
    const Case cases[] = {
        {"abc", "abc", true},
        {"\xC3\xA0\xC3\xBF", "\xE0\xFF", true},                      // Latin-1 letters
        {"\xE2\x82\xAC\xC5\xBE\xE2\x84\xA2", "\x80\x9E\x99", true},  // the euro sign, ž, ™ in 0x80-0x9F
        {"\xC5\x81", "?", false},                                    // Ł: not in the code page
        {"\xC2\x81", "?", false},                                    // U+0081: one of the five unassigned
        {"\xC0\xA0", "??", false},                                   // an overlong form
        {"\xED\xA0\x80", "???", false},                              // a surrogate
        {"\xF4\x90\x80\x80", "????", false},                         // past U+10FFFF
        {"a\xC3", "a?", false},                                      // cut short
        {"\xE0\x80", "??", false},                                   // a code page 1252 text is not UTF-8
    };
    for (const Case& c : cases) {
        std::string strict;
        EXPECT_EQ(Utf8ToCp1252(c.utf8, strict), c.strict) << c.lossy;
        EXPECT_EQ(Utf8ToCp1252Lossy(c.utf8), c.lossy);
        if (c.strict) {
            EXPECT_EQ(strict, c.lossy);
        }
    }
}

TEST(CodePageTest, EveryAssignedByteRoundTrips) {
    for (int byte = 0; byte < 256; ++byte) {
        const std::string one(1, static_cast<char>(byte));
        std::string back;
        const bool unassigned = byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
        EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(one), back), !unassigned) << byte;
        if (!unassigned) {
            EXPECT_EQ(back, one) << byte;
        } else {
            EXPECT_EQ(Cp1252ToUtf8(one), "\xEF\xBF\xBD");
        }
    }
}

}  // namespace
}  // namespace tramelo
