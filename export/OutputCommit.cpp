#include "export/OutputCommit.h"

#include <algorithm>
#include <memory>
#include <string_view>

#include "export/OutputSet.h"
#include "export/OutputSteps.h"
#include "shapefile/FileSystem.h"
#include "workspace/OutputNames.h"

namespace tramelo {

namespace {

constexpr std::string_view kJournalHeader = "tramelo commit";
constexpr std::string_view kPut = "put ";
constexpr std::string_view kDrop = "drop ";
constexpr std::string_view kEnd = "end";
constexpr std::int64_t kLongestJournal = 64 * 1024;
// What earlier versions of the program left beside an output after a crash: its temporary
// file, and the earlier file moved aside for the swap.
constexpr std::string_view kLegacyTemporary = ".partial";
constexpr std::string_view kLegacyEarlier = ".previous";

std::string NameIn(const std::string& folder, const std::string& path) {
    return path.substr(folder.size() + 1);
}

struct Move {
    std::string from;  // a temporary's name in the folder
    std::string to;    // its target's
};

struct Journal {
    std::vector<Move> moves;
    std::vector<std::string> removals;
};

std::string Encode(const Journal& journal) {
    std::string text(kJournalHeader);
    text += '\n';
    for (const Move& move : journal.moves) {
        text.append(kPut).append(move.from).append(" ").append(move.to).append("\n");
    }
    for (const std::string& name : journal.removals) {
        text.append(kDrop).append(name).append("\n");
    }
    text.append(kEnd).append("\n");
    return text;
}

bool IsOutputName(std::string_view name) {
    const std::vector<std::string> names = OutputNames();
    return std::find(names.begin(), names.end(), name) != names.end();
}

// A journal of this program's, whole: every name in it an output's or one of its
// temporaries, so that no journal can make a run move or remove anything else.
bool Decode(std::string_view text, Journal& journal) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos) {
            return false;  // every line ends, the last one included
        }
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end + 1);
    }
    if (lines.size() < 2 || lines.front() != kJournalHeader || lines.back() != kEnd) {
        return false;
    }
    for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (line.starts_with(kPut)) {
            const std::string_view names = line.substr(kPut.size());
            const std::size_t space = names.find(' ');
            if (space == std::string_view::npos) {
                return false;
            }
            const std::string_view from = names.substr(0, space);
            const std::string_view to = names.substr(space + 1);
            if (!IsOutputName(to) || !IsTemporaryOf(from, to)) {
                return false;
            }
            journal.moves.push_back({std::string(from), std::string(to)});
        } else if (line.starts_with(kDrop) && IsOutputName(line.substr(kDrop.size()))) {
            journal.removals.emplace_back(line.substr(kDrop.size()));
        } else {
            return false;
        }
    }
    return true;
}

// Step 3 onwards: what a journal says, done again where it is not done yet.
void Apply(FileSystem& files, const std::string& folder, const Journal& journal) {
    for (const Move& move : journal.moves) {
        const std::string from = JoinPath(folder, move.from);
        if (files.exists(from)) {
            const std::string to = JoinPath(folder, move.to);
            try {
                files.replace(from, to);
            } catch (const FileError&) {
                throw FileError(to, "cannot replace");
            }
        }
    }
    for (const std::string& name : journal.removals) {
        files.remove(JoinPath(folder, name));
    }
    files.syncFolder(folder);
    files.remove(JoinPath(folder, kJournalName));
    files.syncFolder(folder);
}

}  // namespace

void OutputCommit::apply() {
    Journal journal;
    for (const OutputSet* set : sets_) {
        for (const OutputSet::File& file : set->files()) {
            journal.moves.push_back({NameIn(folder_, file.temporary()), NameIn(folder_, file.target())});
        }
        for (const std::string& target : set->dropped()) {
            journal.removals.push_back(NameIn(folder_, target));
        }
    }
    if (journal.moves.empty() && journal.removals.empty()) {
        return;
    }
    const std::string path = JoinPath(folder_, kJournalName);
    {
        OutputSet record(files_);
        OutputSet::File& file = record.create(path);
        const std::string text = Encode(journal);
        file.write(text.data(), text.size());
        file.close();
        try {
            files_.replace(file.temporary(), path);
            files_.syncFolder(folder_);
        } catch (const FileError&) {
            files_.remove(path);  // not committed: the temporaries go, the earlier output stays
            throw FileError(path, "cannot write");
        }
        record.committed();
    }
    // Committed: whatever happens now, the next run finishes the moves.
    for (OutputSet* set : sets_) {
        set->committed();
    }
    Apply(files_, folder_, journal);
}

OutputResult CommitAlone(FileSystem& files, const std::string& folder, OutputSet& set) {
    OutputCommit commit(files, folder);
    commit.add(set);
    try {
        commit.apply();
    } catch (const FileError& error) {
        return {OutputOutcome::WriteFailed, error.path()};
    }
    return {};
}

void RecoverOutputFolder(FileSystem& files, const std::string& folder) {
    const std::vector<std::string> names = files.list(folder);
    if (std::find(names.begin(), names.end(), kJournalName) != names.end()) {
        const std::string path = JoinPath(folder, kJournalName);
        std::string text;
        try {
            const std::unique_ptr<InputFile> file = files.openForReading(path);
            // A journal names a dozen files; one far longer than that is none of ours.
            const std::int64_t size = std::min<std::int64_t>(file->size(), kLongestJournal);
            const std::span<const std::uint8_t> bytes = file->read(static_cast<std::size_t>(size));
            text.assign(bytes.begin(), bytes.end());
        } catch (const FileError&) {
            throw FileError(path, "cannot read");
        }
        Journal journal;
        if (Decode(text, journal)) {
            Apply(files, folder, journal);
        } else {
            files.remove(path);  // never committed: it is made whole before it gets its name
        }
    }
    const std::string journalName(kJournalName);
    for (const std::string& name : names) {
        for (const std::string& output : OutputNames()) {
            if (IsTemporaryOf(name, output) || name == output + std::string(kLegacyTemporary)) {
                files.remove(JoinPath(folder, name));
            } else if (name == output + std::string(kLegacyEarlier)) {
                // The old swap moved the earlier file aside before moving the new one in: where
                // the new one never came, the earlier one goes back.
                const std::string target = JoinPath(folder, output);
                if (files.exists(target)) {
                    files.remove(JoinPath(folder, name));
                } else {
                    try {
                        files.replace(JoinPath(folder, name), target);
                    } catch (const FileError&) {
                        throw FileError(target, "cannot replace");
                    }
                }
            }
        }
        if (IsTemporaryOf(name, journalName)) {
            files.remove(JoinPath(folder, name));
        }
    }
}

}  // namespace tramelo
