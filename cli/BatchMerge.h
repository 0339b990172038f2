#pragma once

// tramelo-merge: the merge as a batch command, for scripts and machines without a screen.
//
//   tramelo-merge [-s|--stops FILE] [-r|--routes FILE] ... -o|--output DIR
//
// Files are added in command-line order exactly as if picked one after the other in the
// dialog; every message the dialog would show in a box is written as a line, errors and
// warnings to the error stream, the export counts to the output stream, in UTF-8.

#include <iosfwd>
#include <span>
#include <string>

namespace tramelo {

class FileSystem;

// Exit statuses.
constexpr int kExitSuccess = 0;        // every file acquired and every output written
constexpr int kExitFailure = 1;        // a file rejected or an output not written
constexpr int kExitUsage = 2;          // the command line is wrong
constexpr int kExitInterrupted = 128;  // plus the signal that interrupted the run

// args are the arguments after the program name, exactly as the shell passed them. An
// interrupt caught (CatchInterrupts) stops the run at its next safe point: what it prepared
// goes, a commit under way is completed, and it says so.
int RunBatchMerge(std::span<const std::string> args, FileSystem& files, std::ostream& out, std::ostream& err);

}  // namespace tramelo
