#pragma once

// The input files that a table's records came from. A file's records are appended one after
// the other, so each path is kept once, with the position of its file's first record, and a
// record's file is found from its position in the table's list.

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tramelo {

class SourceList {
public:
    // The record appended at position came from path.
    void note(std::size_t position, std::string_view path) {
        if (files_.empty() || files_.back().path != path) {
            files_.push_back({position, std::string(path)});
        }
    }

    // The path of the record at position. REQUIRES: a record at or before it was noted.
    std::string_view at(std::size_t position) const {
        const auto after =
            std::upper_bound(files_.begin(), files_.end(), position,
                             [](std::size_t value, const File& file) { return value < file.first; });
        return std::prev(after)->path;
    }

private:
    struct File {
        std::size_t first;
        std::string path;
    };
    std::vector<File> files_;
};

}  // namespace tramelo
