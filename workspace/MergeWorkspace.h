#pragma once

// Everything one run accumulates, and the operations the shells drive: add a stops file,
// add a routes file, finish into an output folder.
//
// The workspace holds no user-interface code: the imports, exports and report show their
// messages through the Platform, and the add operations return an outcome that the shell
// turns into what the user sees. It is never reset; the tables, the log and the lists only
// grow.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Arena.h"
#include "model/AcquiredFileList.h"
#include "model/IssueLog.h"
#include "model/RouteTable.h"
#include "model/StopTable.h"
#include "shapefile/FileSystem.h"
#include "workspace/Message.h"
#include "workspace/WriteAhead.h"

namespace tramelo {

class Platform;
struct DatasetSchema;

enum class AddOutcome {
    AlreadyAcquired,  // the path is already listed for that kind; nothing was read
    Acquired,         // the file was merged and its path appended to the list
    Rejected,         // the import failed and said why; nothing was recorded
};

// What became of a shell's claim on its output folder (ClaimOutputFolder).
enum class ClaimOutcome {
    Claimed,   // the folder is this run's until Finish ends; what earlier runs left there is
               // cleaned up
    NoFolder,  // there is no such folder to claim; Finish then says what it cannot create
    InUse,     // another run is writing there; the user was told
    Failed,    // what an earlier run left there could not be finished; the user was told
};

// What became of one output of Finish (the report, or one dataset's three files).
enum class OutputOutcome {
    Written,      // complete and in place
    NotCreated,   // could not be created; the user was told, the folder is as it was
    WriteFailed,  // failed while writing; the user was told, the folder is as it was
};

// What the .prj companions of one dataset's accepted files say of its coordinate system. No
// file is refused for it and nothing is reprojected: the dataset's outputs carry the one
// system all its files agree on, or none. The stops and the routes are judged apart, since
// each output .PRJ describes its own dataset's coordinates only.
struct RunCrs {
    std::optional<std::string> text;      // the .prj bytes of the first accepted file that has one
    bool mixed = false;                   // a later accepted file's .prj says otherwise
    bool unknown = false;                 // an accepted file's .prj could not be read
    std::vector<std::string> withoutPrj;  // accepted files without one, while none is known yet

    // The .prj to write beside the outputs, byte for byte: the first one, when no other
    // differed and none was unreadable.
    std::optional<std::string_view> toWrite() const {
        return text && !mixed && !unknown ? std::optional<std::string_view>(*text) : std::nullopt;
    }
};

class MergeWorkspace {
public:
    explicit MergeWorkspace(Platform& platform) : platform_(platform) {}
    // Lets go of the write-ahead before the tables it reads go.
    ~MergeWorkspace();
    MergeWorkspace(const MergeWorkspace&) = delete;
    MergeWorkspace& operator=(const MergeWorkspace&) = delete;

    // path: the .shp file exactly as picked; it is neither trimmed nor normalised.
    AddOutcome AddStopsFile(const std::string& path);
    AddOutcome AddRoutesFile(const std::string& path);

    // True when either table holds a record (an acquired file without features does not
    // count).
    bool HasMergedData() const { return !stopTable.isEmpty() || !routeTable.isEmpty(); }

    // The folder of a picked output file: the text before the last directory separator of
    // this platform, or the whole text when there is none.
    static std::string FolderOf(std::string_view path);

    // The warning for an already acquired path.
    static Message AlreadyAcquiredMessage(std::string_view path);

    // For a shell that knows the output folder before the first file is added (the batch
    // command): what each merged file adds is written ahead into the outputs' temporary files,
    // so that Finish has only the rest to write. Finish shows the same messages and leaves the
    // same files as without it: a dataset that could not be written ahead is exported there
    // as usual. REQUIRES: the folder claimed, before the first file is added; ahead outlives
    // the workspace.
    void UseWriteAhead(WriteAhead& ahead) { writeAhead_ = &ahead; }

    // Makes outputFolder this run's, through the file system's lock, until Finish ends: no
    // other run writes there meanwhile. Then finishes or undoes what an earlier run left half
    // done there, and removes its temporary files. A shell that writes into the folder before
    // Finish (the batch command, ahead) claims it first; Finish claims it otherwise.
    ClaimOutcome ClaimOutputFolder(const std::string& outputFolder);
    bool HasClaimed(const std::string& outputFolder) const { return claimedFolder_ == outputFolder; }

    // Writes the report, then the stops, then the routes into outputFolder (no trailing
    // separator), each under a temporary name, and puts all that could be written in place
    // at once (OutputCommit). A file that cannot be created is skipped; a failure while
    // writing ends the writing there. Nothing is written when another run holds the folder,
    // when an output would replace one of the run's inputs, and for a kind of dataset whose
    // every input was refused. Returns true when every output file was written.
    // REQUIRES: HasMergedData().
    bool Finish(const std::string& outputFolder);

    // The imports return 1 when the file was merged, 0 otherwise; they show their own
    // messages before returning.
    int ImportStops(const std::string& path);
    int ImportRoutes(const std::string& path);

    OutputOutcome WriteReport(const std::string& folder);
    OutputOutcome ExportStops(const std::string& folder);
    OutputOutcome ExportRoutes(const std::string& folder);

    Platform& platform() { return platform_; }

    std::int32_t companyCode = -1;  // the run's company; -1 until the first record read
    StopTable stopTable;
    RouteTable routeTable;
    IssueLog issueLog;
    AcquiredFileList acquiredStops;
    AcquiredFileList acquiredRoutes;
    RunCrs stopsCrs;
    RunCrs routesCrs;
    RunCrs& crsOf(const DatasetSchema& schema);
    const RunCrs& crsOf(const DatasetSchema& schema) const;
    // Where the imports stage the features of one file, reused by every file.
    Arena staging;
    // Every path the run was asked to add of each kind, merged or not: no output may
    // replace one of them, or a companion of one.
    std::vector<std::string> givenStops;
    std::vector<std::string> givenRoutes;
    // The memory ran out while a file was being merged into the tables, which then hold part
    // of it: nothing is written from them.
    bool mergeCutShort = false;

private:
    // Shows the first output in outputFolder that is the same file as an input the run was
    // given, or a companion of one, and returns true; false when there is none.
    bool RefuseOutputThatIsAnInput(const std::string& outputFolder);

    Platform& platform_;
    WriteAhead* writeAhead_ = nullptr;
    std::unique_ptr<FolderLock> folderLock_;
    std::optional<std::string> claimedFolder_;
};

}  // namespace tramelo
