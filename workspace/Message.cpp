#include "workspace/Message.h"

#include <charconv>
#include <cstdint>

namespace tramelo {

std::string DecimalText(std::int32_t value) {
    char digits[12];
    char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    return std::string(digits, static_cast<std::size_t>(end - digits));
}

Message& Message::number(std::int32_t value) {
    return text(DecimalText(value));
}

std::string DisplayText(const Message& message) {
    std::string out;
    for (const Message::Piece& piece : message.pieces()) {
        out += piece.isPath ? piece.bytes : Cp1252ToUtf8(piece.bytes);
    }
    return out;
}

}  // namespace tramelo
