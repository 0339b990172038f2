#pragma once

// The files of one output that are replaced together: a dataset's .SHP, .SHX, .DBF, .CPG
// and .PRJ, or the report and its table of conflicts.
//
// Each file is written under a temporary name in the target's folder. Only when every one
// is complete does commit() put them in place: the earlier files of the set are moved aside,
// the new ones moved over their names, the earlier ones removed. Whatever fails on the way
// (create, write, close, a move), the folder is left with the set's earlier files byte for
// byte and no temporary: what was put in place is taken away again and what was moved aside
// comes back. A file of the set that this run does not write (an earlier .PRJ when the run
// has no coordinate system) is removed as part of the same replacement.
//
// Every failure is a FileError naming the target, the name the user knows.

#include <cstddef>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "shapefile/FileSystem.h"

namespace tramelo {

class OutputSet {
public:
    // One file of the set, open for writing under its temporary name.
    class File {
    public:
        File(FileSystem& files, std::string target);
        File(const File&) = delete;
        File& operator=(const File&) = delete;

        void write(const void* data, std::size_t size);
        void seekToStart();
        // Completes the temporary file; the target is still untouched. Once is enough.
        void close();
        // Lets go of the temporary file unfinished, so that it can be removed (Windows
        // removes no file that is still open).
        void abandon() { file_.reset(); }

        const std::string& target() const { return target_; }
        const std::string& temporary() const { return temporary_; }

    private:
        std::string target_;
        std::string temporary_;
        std::unique_ptr<OutputFile> file_;
        bool closed_ = false;
    };

    explicit OutputSet(FileSystem& files) : files_(files) {}
    // Removes the temporary files of a set that was not committed.
    ~OutputSet();
    OutputSet(const OutputSet&) = delete;
    OutputSet& operator=(const OutputSet&) = delete;

    // Creates the temporary file of target. Throws FileError(target) when it cannot be
    // created, or when the target exists and must not be written over (read-only, or not a
    // regular file): replacing it by moving would go around that.
    File& create(std::string target);
    // A target this run does not write: an earlier file of that name goes with the set.
    // Throws as create() does for a target that must not be written over.
    void drop(std::string target);

    // Completes every file; nothing is in place yet.
    void close();
    // Closes every file and puts the set in place.
    void commit();

private:
    FileSystem& files_;
    std::deque<File> created_;  // a deque, so that the files handed out never move
    std::vector<std::string> dropped_;
    bool committed_ = false;
};

}  // namespace tramelo
