#include "base/CodePage.h"

#include <array>
#include <cstdint>
#include <initializer_list>

#include "base/CodePageTables.h"

namespace tramelo {

namespace {

constexpr char32_t kUnassigned = 0xFFFD;

// The characters of 0x80-0x9F.
constexpr char32_t kHighControls[32] = {
    0x20AC,      kUnassigned, 0x201A, 0x0192, 0x201E, 0x2026,      0x2020, 0x2021,
    0x02C6,      0x2030,      0x0160, 0x2039, 0x0152, kUnassigned, 0x017D, kUnassigned,
    kUnassigned, 0x2018,      0x2019, 0x201C, 0x201D, 0x2022,      0x2013, 0x2014,
    0x02DC,      0x2122,      0x0161, 0x203A, 0x0153, kUnassigned, 0x017E, 0x0178,
};

void AppendUtf8(char32_t code, std::string& out) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The code page 1252 byte of a character, or -1 when the code page lacks it.
int Cp1252Byte(char32_t code) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
        return static_cast<int>(code);
    }
    for (int i = 0; i < 32; ++i) {
        if (kHighControls[i] == code && code != kUnassigned) {
            return 0x80 + i;
        }
    }
    return -1;
}

// Decodes the character that starts text[at], moving at past it. False, with at moved past
// the first byte only, when the bytes there are not a valid UTF-8 character.
bool DecodeUtf8(std::string_view text, std::size_t& at, char32_t& code) {
    const auto lead = static_cast<std::uint8_t>(text[at]);
    std::size_t length = 0;
    char32_t least = 0;
    if (lead < 0x80) {
        code = lead;
        ++at;
        return true;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
        least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
        least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
        least = 0x10000;
    } else {
        ++at;
        return false;
    }
    if (text.size() - at < length) {
        ++at;
        return false;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<std::uint8_t>(text[at + i]);
        if ((next & 0xC0) != 0x80) {
            ++at;
            return false;
        }
        code = (code << 6) | (next & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        ++at;
        return false;
    }
    at += length;
    return true;
}

// The single-byte code pages, in the order of the enumeration, with their upper halves.
constexpr CodePage kFirstSingleByte = CodePage::Iso8859_15;
constexpr const char16_t* kUpperHalves[] = {kIso8859_15High, kIso8859_2High, kCp437High,
                                            kCp850High,      kCp852High,     kCp1250High};
constexpr std::size_t kSingleByteCount = std::size(kUpperHalves);

// For each single-byte code page, the code page 1252 byte of each byte of its upper half, or
// -1 where code page 1252 lacks the character.
using UpperHalfTable = std::array<std::int16_t, 128>;
const std::array<UpperHalfTable, kSingleByteCount>& UpperHalvesIn1252() {
    static const std::array<UpperHalfTable, kSingleByteCount> tables = [] {
        std::array<UpperHalfTable, kSingleByteCount> built{};
        for (std::size_t page = 0; page < kSingleByteCount; ++page) {
            for (std::size_t i = 0; i < 128; ++i) {
                const char32_t code = kUpperHalves[page][i];
                built[page][i] = static_cast<std::int16_t>(code == kUnassigned ? -1 : Cp1252Byte(code));
            }
        }
        return built;
    }();
    return tables;
}

// The table of page, or none for a page that is not single-byte.
const UpperHalfTable* UpperHalfOf(CodePage page) {
    if (!IsSingleByte(page)) {
        return nullptr;
    }
    return &UpperHalvesIn1252()[static_cast<std::size_t>(page) - static_cast<std::size_t>(kFirstSingleByte)];
}

// The text converted byte for byte through table; false when a byte has no code page 1252
// byte, which becomes lost (and the conversion goes on) when lost is not 0.
bool ConvertSingleByte(const UpperHalfTable& table, std::string_view text, std::string& out, char lost) {
    out.resize(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<std::uint8_t>(text[i]);
        if (byte < 0x80) {
            out[i] = static_cast<char>(byte);
            continue;
        }
        const std::int16_t converted = table[byte - 0x80];
        if (converted < 0) {
            if (lost == 0) {
                return false;
            }
            out[i] = lost;
        } else {
            out[i] = static_cast<char>(converted);
        }
    }
    return true;
}

struct Spelling {
    std::string_view name;
    CodePage page;
};

// The names of the code pages, as CodePageNamed compares them.
constexpr Spelling kSpellings[] = {
    {"UTF8", CodePage::Utf8},
    {"65001", CodePage::Utf8},
    {"1252", CodePage::Cp1252},
    {"CP1252", CodePage::Cp1252},
    {"ANSI1252", CodePage::Cp1252},
    {"WINDOWS1252", CodePage::Cp1252},
    {"ISO88591", CodePage::Cp1252},
    {"88591", CodePage::Cp1252},
    {"LATIN1", CodePage::Cp1252},
    {"28591", CodePage::Cp1252},
    {"ISO885915", CodePage::Iso8859_15},
    {"885915", CodePage::Iso8859_15},
    {"LATIN9", CodePage::Iso8859_15},
    {"28605", CodePage::Iso8859_15},
    {"ISO88592", CodePage::Iso8859_2},
    {"88592", CodePage::Iso8859_2},
    {"LATIN2", CodePage::Iso8859_2},
    {"28592", CodePage::Iso8859_2},
    {"437", CodePage::Cp437},
    {"CP437", CodePage::Cp437},
    {"IBM437", CodePage::Cp437},
    {"OEM437", CodePage::Cp437},
    {"850", CodePage::Cp850},
    {"CP850", CodePage::Cp850},
    {"IBM850", CodePage::Cp850},
    {"OEM850", CodePage::Cp850},
    {"852", CodePage::Cp852},
    {"CP852", CodePage::Cp852},
    {"IBM852", CodePage::Cp852},
    {"OEM852", CodePage::Cp852},
    {"1250", CodePage::Cp1250},
    {"CP1250", CodePage::Cp1250},
    {"WINDOWS1250", CodePage::Cp1250},
    {"ANSI1250", CodePage::Cp1250},
};

// The language drivers of these code pages, as dBASE, FoxPro and the GIS programs that
// write .DBF files number them.
struct LanguageDrivers {
    CodePage page;
    std::initializer_list<std::uint8_t> drivers;
};
const LanguageDrivers kLanguageDrivers[] = {
    {CodePage::Cp437, {0x01, 0x09, 0x0B, 0x0D, 0x0F, 0x11, 0x15, 0x18, 0x19, 0x1B}},
    {CodePage::Cp850, {0x02, 0x0A, 0x0E, 0x10, 0x12, 0x14, 0x16, 0x1A, 0x1D, 0x25, 0x37}},
    {CodePage::Cp1252, {0x03, 0x57, 0x58, 0x59}},
    {CodePage::Cp852, {0x1F, 0x22, 0x23, 0x40, 0x64, 0x87}},
    {CodePage::Cp1250, {0xC8}},
};

}  // namespace

CodePage CodePageNamed(std::string_view cpg) {
    std::string name;
    for (const char c : cpg) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == '-' ||
            c == '_') {
            continue;
        }
        name += c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    if (name.empty()) {
        return CodePage::Undeclared;
    }
    for (const Spelling& spelling : kSpellings) {
        if (spelling.name == name) {
            return spelling.page;
        }
    }
    return CodePage::Unknown;
}

CodePage CodePageOfLanguageDriver(std::uint8_t languageDriver) {
    if (languageDriver == 0) {
        return CodePage::Undeclared;
    }
    for (const LanguageDrivers& drivers : kLanguageDrivers) {
        for (const std::uint8_t driver : drivers.drivers) {
            if (driver == languageDriver) {
                return drivers.page;
            }
        }
    }
    return CodePage::Unknown;
}

bool IsSingleByte(CodePage page) {
    const auto index = static_cast<std::size_t>(page) - static_cast<std::size_t>(kFirstSingleByte);
    return page >= kFirstSingleByte && index < kSingleByteCount;
}

bool SingleByteToCp1252(CodePage page, std::string_view text, std::string& out) {
    const UpperHalfTable* table = UpperHalfOf(page);
    if (table == nullptr) {
        out.assign(text);
        return true;
    }
    return ConvertSingleByte(*table, text, out, 0);
}

std::string SingleByteToCp1252Lossy(CodePage page, std::string_view text) {
    std::string out;
    if (const UpperHalfTable* table = UpperHalfOf(page)) {
        ConvertSingleByte(*table, text, out, '?');
    } else {
        out.assign(text);
    }
    return out;
}

std::string Cp1252ToUtf8(std::string_view cp1252) {
    std::string out;
    out.reserve(cp1252.size() + cp1252.size() / 4);
    for (const char c : cp1252) {
        const auto byte = static_cast<std::uint8_t>(c);
        AppendUtf8(byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : char32_t{byte}, out);
    }
    return out;
}

bool Utf8ToCp1252(std::string_view utf8, std::string& out) {
    out.clear();
    out.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        char32_t code = 0;
        if (!DecodeUtf8(utf8, at, code)) {
            return false;
        }
        const int byte = Cp1252Byte(code);
        if (byte < 0) {
            return false;
        }
        out += static_cast<char>(byte);
    }
    return true;
}

std::string Utf8ToCp1252Lossy(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        char32_t code = 0;
        const int byte = DecodeUtf8(utf8, at, code) ? Cp1252Byte(code) : -1;
        out += byte < 0 ? '?' : static_cast<char>(byte);
    }
    return out;
}

std::string WithoutControlCharacters(std::string_view text) {
    std::string shown(text);
    for (char& c : shown) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            c = '?';
        }
    }
    return shown;
}

}  // namespace tramelo
