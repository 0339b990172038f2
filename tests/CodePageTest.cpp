#include <gtest/gtest.h>

#include <string>
#include <utility>

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

TEST(CodePageTest, SingleByteCodePagesConvertByteForByte) {
    struct Case {
        CodePage page;
        std::string text;
        const char* lossy;
        bool strict;
    };
    const Case cases[] = {
        {CodePage::Cp850, "a\x85", "a\xE0", true},     // à
        {CodePage::Cp437, "\x81", "\xFC", true},       // ü
        {CodePage::Iso8859_15, "\xA4", "\x80", true},  // the euro sign
        {CodePage::Cp1250, "\x8A", "\x8A", true},      // Š
        {CodePage::Iso8859_2, "\xA9", "\x8A", true},   // Š
        {CodePage::Cp852,
         "a\xA5"
         "b",
         "a?b", false},                                    // ą: not in code page 1252
        {CodePage::Cp1250, "\x81", "?", false},            // unassigned
        {CodePage::Iso8859_15, "\x85", "?", false},        // a control character
        {CodePage::Cp1252, "\x81\xFF", "\x81\xFF", true},  // not single-byte: as it stands
    };
    for (const Case& c : cases) {
        std::string strict;
        EXPECT_EQ(SingleByteToCp1252(c.page, c.text, strict), c.strict) << c.lossy;
        EXPECT_EQ(SingleByteToCp1252Lossy(c.page, c.text), c.lossy);
        if (c.strict) {
            EXPECT_EQ(strict, c.lossy);
        }
    }
}

TEST(CodePageTest, CodePagesAreKnownByTheirUsualNamesAndLanguageDrivers) {
    const std::pair<const char*, CodePage> names[] = {
        {"UTF-8", CodePage::Utf8},
        {" utf8\r\n", CodePage::Utf8},
        {"65001", CodePage::Utf8},
        {"ansi 1252", CodePage::Cp1252},
        {"Windows-1252", CodePage::Cp1252},
        {"ISO-8859-1", CodePage::Cp1252},
        {"latin1", CodePage::Cp1252},
        {"88591", CodePage::Cp1252},
        {"ISO-8859-15", CodePage::Iso8859_15},
        {"iso8859_15", CodePage::Iso8859_15},
        {"8859-15", CodePage::Iso8859_15},
        {"LATIN9", CodePage::Iso8859_15},
        {"ISO-8859-2", CodePage::Iso8859_2},
        {"88592", CodePage::Iso8859_2},
        {"Latin2", CodePage::Iso8859_2},
        {"437", CodePage::Cp437},
        {"IBM437", CodePage::Cp437},
        {"OEM 437", CodePage::Cp437},
        {"CP850", CodePage::Cp850},
        {"ibm850", CodePage::Cp850},
        {"852", CodePage::Cp852},
        {"CP852", CodePage::Cp852},
        {"1250", CodePage::Cp1250},
        {"WINDOWS-1250", CodePage::Cp1250},
        {"ANSI 1250", CodePage::Cp1250},
        {"", CodePage::Undeclared},
        {" \t\n", CodePage::Undeclared},
        {"UTF-16", CodePage::Unknown},
        {"1251", CodePage::Unknown},
        {"CP12520", CodePage::Unknown},
        {"LATIN", CodePage::Unknown},
        {"ISO-8859", CodePage::Unknown},
        {"8859-3", CodePage::Unknown},
        {"GBK", CodePage::Unknown},
    };
    for (const auto& [name, page] : names) {
        EXPECT_EQ(CodePageNamed(name), page) << name;
    }
    const std::pair<std::uint8_t, CodePage> drivers[] = {
        {0x00, CodePage::Undeclared}, {0x01, CodePage::Cp437},   {0x02, CodePage::Cp850},
        {0x03, CodePage::Cp1252},     {0x57, CodePage::Cp1252},  {0x64, CodePage::Cp852},
        {0xC8, CodePage::Cp1250},     {0x4D, CodePage::Unknown}, {0xC9, CodePage::Unknown},
    };
    for (const auto& [driver, page] : drivers) {
        EXPECT_EQ(CodePageOfLanguageDriver(driver), page) << int{driver};
    }
}

}  // namespace
}  // namespace tramelo
