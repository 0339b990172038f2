#include "base/CodePage.h"

#include <cstdint>

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

}  // namespace

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
