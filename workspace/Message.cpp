#include "workspace/Message.h"

#include <charconv>
#include <cstdint>

namespace tramelo {

namespace {

// Code page 1252 differs from Latin-1 only in 0x80-0x9F; the five unassigned positions
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) are shown as U+FFFD.
constexpr char32_t kHighControls[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178,
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

}  // namespace

std::string DecimalText(std::int32_t value) {
    char digits[12];
    char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    return std::string(digits, static_cast<std::size_t>(end - digits));
}

Message& Message::number(std::int32_t value) {
    return text(DecimalText(value));
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

std::string DisplayText(const Message& message) {
    std::string out;
    for (const Message::Piece& piece : message.pieces()) {
        out += piece.isPath ? piece.bytes : Cp1252ToUtf8(piece.bytes);
    }
    return out;
}

}  // namespace tramelo
