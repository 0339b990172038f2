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
#include "base/CalendarDate.h"
#include "model/AcquiredFileList.h"
#include "model/IssueLog.h"
#include "model/RouteTable.h"
#include "model/StopTable.h"
#include "workspace/Message.h"

namespace tramelo {

class Platform;

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

class DatasetExport;

// An export made in two steps (prepare, then complete), owned by the caller.
struct DatasetExportDeleter {
    void operator()(DatasetExport* run) const;
};
using PreparedExport = std::unique_ptr<DatasetExport, DatasetExportDeleter>;
// Writes the export's files under their temporary names; no message, nothing in place. May
// run on a thread of its own.
void PrepareExport(DatasetExport& run, std::optional<std::string_view> prj, CalendarDate today);
// Puts a prepared export in place and tells the user, as the export itself would.
OutputOutcome CompleteExport(DatasetExport& run, Platform& platform);

class ExportAhead;

struct ExportAheadDeleter {
    void operator()(ExportAhead* ahead) const;
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
    // command): from the first merged record on, what the files add is written into the
    // outputs' temporary files on a thread of its own, so that Finish into that folder has
    // only the rest to write. Finish shows the same messages and leaves the same files as
    // without it: a dataset that could not be written ahead is exported there as usual.
    // Does nothing where files may not be written from two threads.
    void WriteAheadInto(const std::string& outputFolder);

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
    // The exports, not yet run (PrepareExport, CompleteExport).
    PreparedExport StopsExport(const std::string& folder);
    PreparedExport RoutesExport(const std::string& folder);

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
    // Hands what the file just merged added to the write-ahead.
    void WriteAhead();
    // No file follows: what was written ahead into outputFolder is completed on its thread,
    // what was written ahead elsewhere goes.
    void CloseWriteAhead(const std::string& outputFolder, CalendarDate today);
    // Waits for the write-ahead and gives the exports it completed; the others are null.
    void TakeWrittenAhead(PreparedExport& stops, PreparedExport& routes);

    Platform& platform_;
    std::optional<std::string> aheadFolder_;
    // Last, so that it stops before the tables it reads go.
    std::unique_ptr<ExportAhead, ExportAheadDeleter> ahead_;
};

}  // namespace tramelo
