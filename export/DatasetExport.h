#pragma once

// The export of one merged table into an output folder, in the steps of its one lifecycle:
//
//   open()              creates the files (but the .PRJ) under their temporary names and
//                       writes what comes before the features;
//   append(upTo)        writes the table's records that follow those written, up to upTo in
//                       all, as they come: the table may still grow;
//   close(prj, today)   writes the records left, creates (or drops) the .PRJ once the run's
//                       coordinate system is known, fills in the headers and completes the
//                       files, durably;
//   prepared()          the files, to be put in place with the other outputs of the run
//                       (OutputCommit), or none when a step failed;
//   tell(platform)      tells the user the count, or which file could not be created or
//                       written.
//
// A step after a failed one does nothing, and the first failure is kept. Nothing reaches the
// folder's names before the commit, nor the user before tell(); an export destroyed before
// its files were committed leaves nothing (its temporary files go). The steps up to close()
// show nothing and touch no platform but their files, so they may run on another thread than
// the one that commits (the batch command writes ahead: pipeline/Pipeline.h).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

#include "base/CalendarDate.h"
#include "export/DatasetWriter.h"
#include "export/OutputSteps.h"

namespace tramelo {

class FileSystem;
class MergeWorkspace;
class Platform;
struct DatasetSchema;
struct RouteRecord;
struct StopRecord;

class DatasetExport {
public:
    // Writes a table's records, in the table's order, after those written already: up to upTo
    // in all, or to the table's end.
    using Records = std::function<void(DatasetWriter& writer, std::size_t upTo)>;

    DatasetExport(FileSystem& files, std::string folder, const DatasetSchema& schema,
                  std::int32_t companyCode, Records records);

    void open();
    void append(std::size_t upTo);
    void close(std::optional<std::string_view> prj, CalendarDate today);
    bool failed() const { return result_.outcome != OutputOutcome::Written; }
    bool writeFailed() const { return result_.outcome == OutputOutcome::WriteFailed; }
    OutputSet* prepared() { return failed() ? nullptr : &writer_->set(); }
    // The commit of the files failed (or was not made): result says how.
    void fail(const OutputResult& result) { result_ = result; }
    OutputOutcome tell(Platform& platform) const;

private:
    void keep(const OutputResult& result);

    FileSystem& files_;
    std::string folder_;
    const DatasetSchema& schema_;
    std::int32_t companyCode_;
    Records records_;
    std::optional<DatasetWriter> writer_;
    std::int32_t written_ = 0;
    OutputResult result_;
};

// The export of the workspace's table of schema's kind (stops or routes) into folder, through
// files; the workspace must outlive it.
std::unique_ptr<DatasetExport> TableExport(const MergeWorkspace& workspace, FileSystem& files,
                                           std::string folder, const DatasetSchema& schema);

// A whole export of that table on this thread, every step in turn and a commit of its own,
// through the workspace's platform, with its coordinate system and today's date.
OutputOutcome RunExport(MergeWorkspace& workspace, const std::string& folder, const DatasetSchema& schema);

// How one record of each table is written (beside ExportStops and ExportRoutes).
void WriteStop(DatasetWriter& writer, const StopRecord& stop);
void WriteRoute(DatasetWriter& writer, const RouteRecord& route);

// The Records of a table whose records are linked in its order (head(), next), each written
// by writeOne(writer, record). Its place is the last record written, not the next one: while
// the table grows on another thread, a record's link is followed only once the record after
// it has been handed over (pipeline/Pipeline.h).
template <class Table, class WriteOne>
DatasetExport::Records TableRecords(const Table& table, WriteOne writeOne) {
    using Record = std::remove_cvref_t<decltype(*table.head())>;
    return [&table, writeOne, last = static_cast<const Record*>(nullptr), written = std::size_t{0}](
               DatasetWriter& writer, std::size_t upTo) mutable {
        for (; written < upTo; ++written) {
            const Record* record = last == nullptr ? table.head() : last->next;
            if (record == nullptr) {
                return;
            }
            writeOne(writer, *record);
            last = record;
        }
    };
}

}  // namespace tramelo
