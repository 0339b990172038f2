#pragma once

// A message for the user, as the core hands it to the program's shell.
//
// The fixed texts are Italian in code page 1252 ("à" is the byte 0xE0), and so are codes and
// names read from a .DBF; paths are in the file system's own encoding. A message is built
// from pieces (text(), number(), path()) and keeps them apart, so that a shell can convert
// each for display; bytes() gives all of them joined, as they stand.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/CodePage.h"

namespace tramelo {

enum class MessageKind {
    Error,        // something that makes an import fail
    Warning,      // an already acquired file, an output that cannot be created or written
    Information,  // the counts after an export
};

class Message {
public:
    struct Piece {
        std::string bytes;
        bool isPath = false;  // file system encoding rather than code page 1252
    };

    explicit Message(MessageKind kind) : kind_(kind) {}

    Message& text(std::string_view cp1252) {
        pieces_.push_back({std::string(cp1252), false});
        return *this;
    }
    Message& number(std::int32_t value);
    Message& path(std::string_view path) {
        pieces_.push_back({std::string(path), true});
        return *this;
    }

    MessageKind kind() const { return kind_; }
    const std::vector<Piece>& pieces() const { return pieces_; }

    // All pieces joined, unconverted.
    std::string bytes() const {
        std::string joined;
        for (const Piece& piece : pieces_) {
            joined += piece.bytes;
        }
        return joined;
    }

private:
    MessageKind kind_;
    std::vector<Piece> pieces_;
};

// A decimal integer as "%d" prints it: a minus sign when negative, no leading zeros.
std::string DecimalText(std::int32_t value);

// The message as UTF-8: code page 1252 pieces converted, paths kept as they are (paths are
// UTF-8 wherever the core runs).
std::string DisplayText(const Message& message);

}  // namespace tramelo
