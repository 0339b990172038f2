#pragma once

// Writes one merged dataset as a shapefile: .SHP, .SHX and .DBF with three attribute fields
// (AZIENDA, a code, a text), one feature at a time, in the order they are handed over, with a
// .CPG that names code page 1252 and, when the run has one coordinate system, its .PRJ.
//
// Headers are first written as zero place holders and filled in at the end, when the
// counts, lengths and the box are known. Each header, descriptor and record is assembled in
// one scratch buffer and written with one call; nothing is held back across features, so
// memory does not grow with the dataset. The files replace the earlier dataset of the same
// name as one set, only when all are complete (OutputSet, OutputCommit).

#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/CalendarDate.h"
#include "base/Geometry.h"
#include "export/OutputSet.h"
#include "shapefile/DbfFieldList.h"
#include "shapefile/Layouts.h"

namespace tramelo {

class FileSystem;
struct DatasetSchema;

class DatasetWriter {
public:
    static constexpr std::size_t kScratchSize = 65536;

    // Creates the files .SHP, .SHX, .DBF and .CPG in this order. Throws FileError naming the
    // file that cannot be created; the ones created before it are removed again.
    // maxFileWords is the format's limit on a .SHP length in 16-bit words (tests lower it).
    DatasetWriter(FileSystem& files, const std::string& folder, const DatasetSchema& schema,
                  std::int32_t companyCode,
                  std::int64_t maxFileWords = std::numeric_limits<std::int32_t>::max());

    // Creates the .PRJ with prj's bytes or, without prj, lets an earlier one go with the
    // replacement: the coordinate system is known only once the last input is merged. Throws
    // FileError as the constructor does. REQUIRES: called once, before complete().
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
    // The files, to be put in place once complete (OutputCommit).
    OutputSet& set() { return set_; }

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

}  // namespace tramelo
