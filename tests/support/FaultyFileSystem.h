#pragma once

// A file system that fails one chosen output operation of another: the k-th create, write,
// seek, close or replace, counted from 1 over the life of the object. Reads pass through.
// With failAt = 0 nothing fails, and `count` tells how many output operations a run makes.

#include <memory>
#include <string>
#include <vector>

#include "shapefile/FileSystem.h"

namespace tramelo::testing {

class FaultyFileSystem final : public FileSystem {
public:
    explicit FaultyFileSystem(FileSystem& inner) : inner_(inner) {}

    std::unique_ptr<InputFile> openForReading(const std::string& path) override {
        return inner_.openForReading(path);
    }
    bool exists(const std::string& path) override { return inner_.exists(path); }
    std::unique_ptr<OutputFile> createForWriting(const std::string& path) override;
    bool isReadOnly(const std::string& path) override { return inner_.isReadOnly(path); }
    void replace(const std::string& from, const std::string& target) override {
        step(Operation::Replace, target);
        inner_.replace(from, target);
    }
    void remove(const std::string& path) noexcept override { inner_.remove(path); }

    enum class Operation { Create, Write, Seek, Close, Replace };
    struct Step {
        Operation operation;
        std::string path;
    };

    // Counts one output operation and throws when it is the one to fail.
    void step(Operation operation, const std::string& path) {
        steps.push_back({operation, path});
        if (++count == failAt) {
            throw FileError(path, "injected failure");
        }
    }

    int failAt = 0;
    int count = 0;
    std::vector<Step> steps;  // every output operation, in order

private:
    FileSystem& inner_;
};

}  // namespace tramelo::testing
