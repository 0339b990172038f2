#pragma once

// Everything one run accumulates, and the operations the shells drive: add a stops file,
// add a routes file, finish into an output folder.
//
// The workspace holds no user-interface code: the imports, exports and report show their
// messages through the Platform, and the add operations return an outcome that the shell
// turns into what the user sees. It is never reset; the tables, the log and the lists only
// grow.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Arena.h"
#include "model/AcquiredFileList.h"
#include "model/IssueLog.h"
#include "model/RouteTable.h"
#include "model/StopTable.h"
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

// What became of one output of Finish (the report, or one dataset's three files).
enum class OutputOutcome {
    Written,      // complete and in place
    NotCreated,   // could not be created; the user was told, the folder is as it was
    WriteFailed,  // failed while writing; the user was told, the folder is as it was
};

// What the .prj companions of the accepted files say of the run's coordinate system. No
// file is refused for it and nothing is reprojected: the outputs carry the one system all
// files agree on, or none.
struct RunCrs {
    std::optional<std::string> text;      // the .prj bytes of the first accepted file that has one
    bool mixed = false;                   // a later accepted file's .prj says otherwise
    std::vector<std::string> withoutPrj;  // accepted files without one, while none is known yet

    // The .prj to write beside the outputs, byte for byte: the first one, when no other
    // differed.
    std::optional<std::string_view> toWrite() const {
        return text && !mixed ? std::optional<std::string_view>(*text) : std::nullopt;
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
    // as usual. REQUIRES: before the first file is added; ahead outlives the workspace.
    void UseWriteAhead(WriteAhead& ahead) { writeAhead_ = &ahead; }

    // Writes the report, then the stops, then the routes into outputFolder (no trailing
    // separator). A file that cannot be created is skipped; a failure while writing ends
    // Finish there. Returns true when every output file was written.
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
    RunCrs crs;
    // Where the imports stage the features of one file, reused by every file.
    Arena staging;

private:
    // A dataset of Finish: the one written ahead, or else exported now with exportNow.
    OutputOutcome FinishDataset(const DatasetSchema& schema,
                                OutputOutcome (MergeWorkspace::*exportNow)(const std::string&),
                                const std::string& outputFolder);

    Platform& platform_;
    WriteAhead* writeAhead_ = nullptr;
};

}  // namespace tramelo
