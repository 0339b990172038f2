#pragma once

// Puts everything a run prepared in one output folder in place at once, so that after a
// crash or a power cut at any moment the folder holds, once the next run into it has looked
// (RecoverOutputFolder), the complete earlier output or the complete new one.
//
// The protocol (the caller holds the folder's lock throughout):
//   1. every file to put in place is complete and on the disk (OutputSet::close);
//   2. a journal naming every move and removal is written under a temporary name, made
//      durable, and moved to kJournalName; the folder is synced: this is the commit point;
//   3. the temporary files are moved over their targets, each in one step, so that no name
//      is ever without a file, and the dropped targets removed; the folder is synced;
//   4. the journal is removed.
// Before the commit point nothing of the earlier output has changed, and a crash leaves only
// temporary files, which the next run removes. After it, the next run finds the journal and
// does again whatever of step 3 is not done yet.

#include <string>
#include <vector>

namespace tramelo {

class FileSystem;
class OutputSet;

inline constexpr const char* kJournalName = "tramelo-commit.journal";

class OutputCommit {
public:
    OutputCommit(FileSystem& files, std::string folder) : files_(files), folder_(std::move(folder)) {}

    // A complete set to put in place. REQUIRES: its files are in folder and closed; it
    // outlives apply().
    void add(OutputSet& set) { sets_.push_back(&set); }

    // Puts every set added in place. Throws FileError naming the file that failed: before the
    // commit point with nothing changed (the sets remove their temporaries as usual), after it
    // with the journal left for the next run to finish.
    void apply();

private:
    FileSystem& files_;
    std::string folder_;
    std::vector<OutputSet*> sets_;
};

// The commit of one set alone: its result, Written or WriteFailed with the file that failed.
struct OutputResult;
OutputResult CommitAlone(FileSystem& files, const std::string& folder, OutputSet& set);

// Under the folder's lock, before anything is written there: finishes a commit that an
// earlier run left half done, and removes every temporary file an earlier run left behind
// (its own and those of earlier versions of the program). Throws FileError naming a file it
// could not put in place.
void RecoverOutputFolder(FileSystem& files, const std::string& folder);

}  // namespace tramelo
