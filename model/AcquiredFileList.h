#pragma once

// The paths of the input shapefiles of one kind merged so far, in order of acquisition.
// Paths are kept and compared exactly as picked: letter case matters and nothing is
// normalised, so one file reached through two spellings of its path counts twice.

#include <string>
#include <string_view>

#include "base/AppendList.h"

namespace tramelo {

struct AcquiredFile {
    explicit AcquiredFile(std::string_view path) : path(path) {}

    std::string path;
    AcquiredFile* next = nullptr;
};

class AcquiredFileList {
public:
    bool contains(std::string_view path) const {
        for (const AcquiredFile& file : files_) {
            if (file.path == path) {
                return true;
            }
        }
        return false;
    }
    void append(std::string_view path) { files_.append(path); }
    bool isEmpty() const { return files_.isEmpty(); }

    const AcquiredFile* head() const { return files_.head(); }
    const AcquiredFile* tail() const { return files_.tail(); }
    auto begin() const { return files_.begin(); }
    auto end() const { return files_.end(); }

private:
    AppendList<AcquiredFile> files_;
};

}  // namespace tramelo
