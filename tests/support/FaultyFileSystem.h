#pragma once

// A file system that fails one chosen output operation of another: the k-th create, write,
// seek, close or replace, counted from 1 over the life of the object. Reads pass through.
// With failAt = 0 nothing fails, and `count` tells how many output operations a run makes.
// failWritesOf fails every write to one path instead; with concurrent set it lets two
// threads write at once (over a file system that does), which step order then cannot tell.

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "shapefile/FileSystemWrapper.h"

namespace tramelo::testing {

class FaultyFileSystem final : public FileSystemWrapper {
public:
    using FileSystemWrapper::FileSystemWrapper;

    std::unique_ptr<OutputFile> createForWriting(const std::string& path) override;
    void replace(const std::string& from, const std::string& target) override {
        step(Operation::Replace, target);
        FileSystemWrapper::replace(from, target);
    }
    bool allowsConcurrentWrites() const override {
        return concurrent && FileSystemWrapper::allowsConcurrentWrites();
    }

    enum class Operation { Create, Write, Seek, Close, Replace };
    struct Step {
        Operation operation;
        std::string path;
    };

    // Counts one output operation and throws when it is the one to fail.
    void step(Operation operation, const std::string& path) {
        const std::lock_guard lock(mutex_);
        steps.push_back({operation, path});
        if (++count == failAt || (operation == Operation::Write && path == failWritesOf)) {
            throw FileError(path, "injected failure");
        }
    }

    int failAt = 0;
    std::string failWritesOf;
    bool concurrent = false;
    int count = 0;
    std::vector<Step> steps;  // every output operation, in order

private:
    std::mutex mutex_;
};

}  // namespace tramelo::testing
