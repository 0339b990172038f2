#pragma once

// A platform for tests: it records every message instead of showing it, answers with a
// fixed date, and keeps its files in memory unless given another file system.

#include <string>
#include <vector>

#include "tests/support/MemoryFileSystem.h"
#include "workspace/Platform.h"

namespace tramelo::testing {

struct RecordedMessage {
    MessageKind kind;
    std::string text;  // the bytes as they stand (code page 1252)

    bool operator==(const RecordedMessage&) const = default;
};

class RecordingPlatform final : public Platform {
public:
    RecordingPlatform() : files_(&memory) {}
    explicit RecordingPlatform(FileSystem& files) : files_(&files) {}

    FileSystem& files() override { return *files_; }
    void showMessage(const Message& message) override {
        messages.push_back({message.kind(), message.bytes()});
    }
    CalendarDate today() override { return date; }

    std::vector<std::string> texts() const {
        std::vector<std::string> all;
        for (const RecordedMessage& message : messages) {
            all.push_back(message.text);
        }
        return all;
    }

    MemoryFileSystem memory;
    std::vector<RecordedMessage> messages;
    CalendarDate date{2026, 12, 6};

private:
    FileSystem* files_;
};

}  // namespace tramelo::testing
