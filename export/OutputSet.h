#pragma once

// The files of one output that belong together: a dataset's .SHP, .SHX, .DBF, .CPG and .PRJ,
// or the report and its table of conflicts.
//
// Each file is written under a temporary name of this run's own beside its target
// (TemporaryName()), created anew so that no other run can be writing into it, and made
// durable when it is closed. The set itself never touches a target: an OutputCommit puts the
// sets of a run in place together. A set that is destroyed before it was committed removes
// its temporary files; a committed one leaves whatever the commit did not move yet, for the
// next run into the folder to finish moving (OutputCommit.h).
//
// Every failure is a FileError naming the target, the name the user knows.

#include <cstddef>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
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
        // Completes the temporary file, durably; the target is still untouched. Once is
        // enough.
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

    const std::deque<File>& files() const { return created_; }
    const std::vector<std::string>& dropped() const { return dropped_; }
    // The commit has begun: from now on the temporaries are its to move.
    void committed() { committed_ = true; }

private:
    FileSystem& files_;
    std::deque<File> created_;  // a deque, so that the files handed out never move
    std::vector<std::string> dropped_;
    bool committed_ = false;
};

// The temporary name of target for this run: target, a dot, this run's 16 hexadecimal digits
// and ".partial". A name with a suffix of this shape on an output's name is a temporary of
// some run (IsTemporaryOf).
std::string TemporaryName(std::string_view target);
bool IsTemporaryOf(std::string_view name, std::string_view target);

}  // namespace tramelo
