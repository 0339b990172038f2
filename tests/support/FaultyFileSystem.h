#pragma once

// A file system that fails one chosen output operation of another: the k-th create, write,
// seek, close, replace, remove or folder sync, counted from 1 over the life of the object.
// Reads pass through. With failAt = 0 nothing fails, and `count` tells how many output
// operations a run makes. failWritesOf fails every write to one path (a temporary file counts
// as its target's) instead; with concurrent
// set it lets two threads write at once (over a file system that does), which step order then
// cannot tell.
//
// crashAt = k instead stops the world at step k, as a kill of the process would: that
// operation and every one after it do nothing, and the first of them that can throw throws
// Crash, which nothing in the program catches; what the file system holds stays as the
// moment before step k left it.

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "shapefile/FileSystemWrapper.h"

namespace tramelo::testing {

// The simulated end of the process.
struct Crash {};

class FaultyFileSystem final : public FileSystemWrapper {
public:
    using FileSystemWrapper::FileSystemWrapper;

    std::unique_ptr<OutputFile> createForWriting(const std::string& path) override;
    void replace(const std::string& from, const std::string& target) override {
        step(Operation::Replace, target);
        FileSystemWrapper::replace(from, target);
    }
    void remove(const std::string& path) noexcept override {
        if (quietStep(Operation::Remove, path)) {
            FileSystemWrapper::remove(path);
        }
    }
    void syncFolder(const std::string& folder) override {
        step(Operation::Sync, folder);
        FileSystemWrapper::syncFolder(folder);
    }
    bool allowsConcurrentWrites() const override {
        return concurrent && FileSystemWrapper::allowsConcurrentWrites();
    }

    enum class Operation { Create, Write, Seek, Close, Replace, Remove, Sync };
    struct Step {
        Operation operation;
        std::string path;
    };

    // Counts one output operation and throws when it is the one to fail (or the world has
    // stopped).
    void step(Operation operation, const std::string& path);
    // The same for an operation that cannot throw: false when it must not happen.
    bool quietStep(Operation operation, const std::string& path) noexcept;

    int failAt = 0;
    int crashAt = 0;
    std::string failWritesOf;
    bool concurrent = false;
    int count = 0;
    bool crashed = false;
    std::vector<Step> steps;  // every output operation, in order

private:
    std::mutex mutex_;
};

}  // namespace tramelo::testing
