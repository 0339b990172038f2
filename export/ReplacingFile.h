#pragma once

// An output file that replaces its target only once it is complete.
//
// It is written under a temporary name in the target's folder and moved over the target in
// one step by commit(); until then the target, if it exists, is left as it was, and a file
// that is never committed is removed. Every failure is reported as a FileError that names
// the target, which is the name the user knows.

#include <cstddef>
#include <memory>
#include <string>

#include "shapefile/FileSystem.h"

namespace tramelo {

class ReplacingFile {
public:
    // Throws FileError(target) when the temporary file cannot be created or the target
    // exists and is read-only.
    ReplacingFile(FileSystem& files, std::string target);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    void write(const void* data, std::size_t size);
    void seekToStart();
    // Completes the temporary file; the target is still untouched.
    void close();
    // Moves the closed temporary file over the target.
    void commit();

    const std::string& target() const { return target_; }

private:
    FileSystem& files_;
    std::string target_;
    std::string temporary_;
    std::unique_ptr<OutputFile> file_;
    bool committed_ = false;
};

}  // namespace tramelo
