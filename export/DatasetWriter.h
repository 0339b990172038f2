#pragma once

// Writes one merged dataset as a shapefile: .SHP, .SHX and .DBF with three attribute fields
// (AZIENDA, a code, a text), one feature at a time, in the order the export hands them over,
// with a .CPG that names code page 1252 and, when the run has one coordinate system, its
// .PRJ.
//
// Headers are first written as zero place holders and filled in at the end, when the
// counts, lengths and the box are known. Each header, descriptor and record is assembled in
// one scratch buffer and written with one call; nothing is held back across features, so
// memory does not grow with the dataset. The files replace the earlier dataset of the same
// name as one set, only when all are complete (OutputSet).

#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "base/CalendarDate.h"
#include "base/Geometry.h"
#include "export/OutputSet.h"
#include "export/OutputSteps.h"
#include "shapefile/DbfFieldList.h"
#include "shapefile/Layouts.h"

namespace tramelo {

class FileSystem;
class Platform;
struct DatasetSchema;
enum class OutputOutcome;

class DatasetWriter {
public:
    static constexpr std::size_t kScratchSize = 65536;

    // Creates the files, .SHP, .SHX, .DBF, .CPG and, when prj is given, .PRJ in this order.
    // Without prj an earlier .PRJ goes with the replacement. Throws FileError naming the file
    // that cannot be created; the ones created before it are removed again.
    // maxFileWords is the format's limit on a .SHP length in 16-bit words (tests lower it).
    DatasetWriter(FileSystem& files, const std::string& folder, const DatasetSchema& schema,
                  std::int32_t companyCode, std::optional<std::string_view> prj = std::nullopt,
                  std::int64_t maxFileWords = std::numeric_limits<std::int32_t>::max());
    // The same without the .PRJ, which setPrj() then creates or drops before complete(): for
    // a dataset written while the files that decide its coordinate system are still coming.
    struct PrjLater {};
    DatasetWriter(FileSystem& files, const std::string& folder, const DatasetSchema& schema,
                  std::int32_t companyCode, PrjLater);

    // Creates the .PRJ with prj's bytes or, without prj, lets an earlier one go with the
    // replacement. Throws FileError as the constructor does. REQUIRES: made with PrjLater;
    // called once.
    void setPrj(std::optional<std::string_view> prj);

    // Writes the header place holders and the field descriptors. From here on every
    // FileError is a failure while writing.
    void start();

    // Replaces the scratch buffer by one of newCapacity bytes when recordSize bytes do not
    // fit in it.
    void reserveScratch(std::size_t recordSize, std::size_t newCapacity);

    // Writes one feature: its attribute record, its .SHX entry and its .SHP record, whose
    // content fill() writes into the contentSize bytes it is given. box is the feature's
    // extent, which widens the file's.
    template <class Fill>
    void writeFeature(std::string_view code, std::string_view text, const BoundingBox& box,
                      std::size_t contentSize, Fill fill) {
        writeAttributes(code, text);
        widenBox(box);
        const std::span<std::uint8_t> content = beginShape(contentSize);
        fill(content.data());
        endShape(contentSize);
    }

    // Fills in the headers, writes the companions and completes the files; they are not in
    // place yet. Returns the number of features written.
    std::int32_t complete(const CalendarDate& today);
    // Puts the completed files in place.
    void commit() { set_.commit(); }
    // Both.
    std::int32_t finish(const CalendarDate& today) {
        const std::int32_t written = complete(today);
        commit();
        return written;
    }

private:
    void writeAttributes(std::string_view code, std::string_view text);
    void widenBox(const BoundingBox& box);
    std::span<std::uint8_t> beginShape(std::size_t contentSize);
    void endShape(std::size_t contentSize);

    const DatasetSchema& schema_;
    std::string companyText_;
    DbfFieldList fields_;
    std::int32_t recordLength_;
    std::vector<std::uint8_t> scratch_ = std::vector<std::uint8_t>(kScratchSize);

    std::int64_t maxFileWords_;
    std::int32_t recordCount_ = 0;
    std::int32_t shpPositionWords_ = kMainHeaderWords;
    std::int32_t shxLengthWords_ = kMainHeaderWords;
    // Start values that survive only in an empty dataset: the first feature replaces them.
    BoundingBox box_;

    OutputSet set_;
    OutputSet::File* shp_ = nullptr;
    OutputSet::File* shx_ = nullptr;
    OutputSet::File* dbf_ = nullptr;
    OutputSet::File* cpg_ = nullptr;
    OutputSet::File* prj_ = nullptr;
    std::optional<std::string_view> prjText_;
    std::string folder_;
};

// Writes a table's features, in the table's order, after those it has written already: up to
// upTo features in all, or to the table's end.
using FeatureWriter = std::function<void(DatasetWriter& writer, std::size_t upTo)>;

// The FeatureWriter of a table whose records are linked in its order (head(), next), each
// written by writeOne(writer, record). Its place is the last record written, not the next
// one: while the table grows on another thread, a record's link is followed only once the
// record after it is known to be there.
template <class Table, class WriteOne>
FeatureWriter TableFeatures(const Table& table, WriteOne writeOne) {
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

// One export in two steps. prepare() creates the files and writes every feature that
// writeFeatures hands over, under the temporary names; complete() puts the files in place
// and tells the user the count, or which file could not be created or written. Between the
// two nothing reaches the folder or the user, so that one dataset can be prepared on a
// second thread while another is exported. prepare() touches no platform but its files.
//
// A dataset can also be prepared in steps while its table still grows: open(), write() as
// records come, close() once the table is whole. A step after a failed one does nothing.
class DatasetExport {
public:
    DatasetExport(FileSystem& files, std::string folder, const DatasetSchema& schema,
                  std::int32_t companyCode, FeatureWriter writeFeatures);

    void prepare(std::optional<std::string_view> prj, CalendarDate today);

    // Creates the files but the .PRJ and writes what comes before the features.
    void open();
    // Writes the features that follow, up to upTo in all.
    void write(std::size_t upTo);
    // Writes the features left, creates the .PRJ and completes the files.
    void close(std::optional<std::string_view> prj, CalendarDate today);
    bool failed() const { return result_.outcome != OutputOutcome::Written; }

    OutputOutcome complete(Platform& platform);

private:
    FileSystem& files_;
    std::string folder_;
    const DatasetSchema& schema_;
    std::int32_t companyCode_;
    FeatureWriter writeFeatures_;
    std::optional<DatasetWriter> writer_;
    std::int32_t written_ = 0;
    OutputResult result_;
};

// A whole export, the two steps one after the other.
OutputOutcome ExportDataset(Platform& platform, const std::string& folder, const DatasetSchema& schema,
                            std::int32_t companyCode, std::optional<std::string_view> prj,
                            FeatureWriter writeFeatures);

}  // namespace tramelo
