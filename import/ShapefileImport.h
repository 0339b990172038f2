#pragma once

// The steps that the stops and the routes imports share: open the three files, check the
// headers and the required attributes, run the geometry pass and then the attribute pass
// over every feature, and merge the file only when every feature passed.
//
// A file is merged whole or not at all, and a file that is not merged leaves no trace: the
// tables, the issue log and the run's company stay as they were.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "base/HeldBytes.h"

namespace tramelo {

class MergeWorkspace;
struct DatasetSchema;

// What one kind of dataset does with its features; everything else is the shared runner's.
class DatasetImport {
public:
    enum class ShapeResult {
        Taken,        // the feature's geometry is in the batch
        Refused,      // the feature cannot be merged; its message has been shown
        FormatError,  // the record is malformed
    };

    virtual ~DatasetImport() = default;

    // shapes and attributes: the bytes of the .SHP and the .DBF where they are held in memory
    // whole, which the batch may refer into (and then holds) rather than copy from.
    virtual void createBatch(std::int32_t count, const HeldBytes& shapes, const HeldBytes& attributes) = 0;
    // Geometry pass: the record content of feature i, as read; valid during the call only,
    // unless it lies in the held shapes. The runner has checked that it holds a shape type and
    // that the type is the dataset's.
    virtual ShapeResult takeShape(std::int32_t i, std::span<const std::uint8_t> content) = 0;
    // Attribute pass: the code (trailing white space removed) and the text of feature i,
    // valid as the content of takeShape() is.
    virtual void takeTexts(std::int32_t i, std::string_view code, std::string_view text) = 0;
    // Offers every feature of the batch to the table (MergeBatch).
    virtual void mergeBatch(const std::string& path) = 0;

    // Whether the kind rounds its coordinates, and whether every one of the file's
    // coordinates (as read) lies within longitudes and latitudes, -180 to 180 and -90 to 90:
    // a file without a .prj whose points all do is taken to be in degrees.
    virtual bool roundsCoordinates() const { return false; }
    virtual bool allWithinDegrees() const { return false; }
};

// Runs one import; returns 1 when the file was merged and 0 otherwise, after showing every
// message the file deserved.
int RunImport(MergeWorkspace& workspace, const std::string& path, const DatasetSchema& schema,
              DatasetImport& dataset);

// The merge of an accepted file, the same for both kinds: offer(item) for every item of the
// batch in file order, then the batch released and the table's index rebuilt once, so that
// the codes of this file did not see each other.
template <class Batch, class Table, class Offer>
void MergeBatch(std::optional<Batch>& batch, Table& table, Offer offer) {
    // The index is far larger than the processor's caches: each lookup is asked for this many
    // items ahead, so that it is mostly there when its turn comes.
    constexpr std::int32_t kAhead = 8;
    for (std::int32_t i = 0; i < batch->count(); ++i) {
        if (const auto* ahead = batch->item(i + kAhead)) {
            table.prefetch(ahead->code);
        }
        if (auto* item = batch->item(i)) {
            offer(*item);
        }
    }
    batch.reset();
    table.rebuildIndex();
}

// The decimal value of a .DBF numeric text: leading white space skipped, an optional sign,
// then digits up to the first other character; no digits gives 0. Values beyond 32 bits
// are held at the nearest limit.
std::int32_t ParseCompany(std::string_view text);

// text without its trailing white space (space, tab, line feed, vertical tab, form feed,
// carriage return; bytes 128 to 255 never count).
std::string_view TrimTrailingWhiteSpace(std::string_view text);

}  // namespace tramelo
