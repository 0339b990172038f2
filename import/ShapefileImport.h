#pragma once

// The steps that the stops and the routes imports share: open the three files, check the
// headers and the required attributes, run the geometry pass and then the attribute pass
// over every feature, and merge the file only when every feature passed.
//
// A file is merged whole or not at all, and a file that is not merged leaves no trace: the
// tables, the issue log and the run's company stay as they were.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tramelo {

class MergeWorkspace;

// What tells one kind of dataset from the other.
class DatasetImport {
public:
    struct Rules {
        std::string_view cannotReadShp;
        std::string_view cannotReadShx;
        std::string_view cannotReadDbf;
        std::string_view attributesMissing;
        std::string_view foreignBefore;  // the message for a feature of another company,
        std::string_view foreignAfter;   // with the feature's code between the two
        std::int32_t shapeType;
        std::span<const std::string_view> codeFields;  // names that serve as the code
        std::int32_t codeMaxLength;
        std::string_view textField;  // the name or description
        std::int32_t textMaxLength;
    };

    enum class ShapeResult {
        Taken,        // the feature's geometry is in the batch
        Refused,      // the feature cannot be merged; its message has been shown
        FormatError,  // the record is malformed
    };

    virtual ~DatasetImport() = default;

    virtual const Rules& rules() const = 0;
    virtual void createBatch(std::int32_t count) = 0;
    // Geometry pass: the record content of feature i, as read.
    virtual ShapeResult takeShape(std::int32_t i, std::span<const std::uint8_t> content) = 0;
    // Attribute pass: the code (trailing white space removed) and the text of feature i.
    virtual void takeTexts(std::int32_t i, std::string_view code, std::string_view text) = 0;
    // Offers every feature of the batch to the table, in file order, then rebuilds its index.
    virtual void mergeBatch(const std::string& path) = 0;
};

// Runs one import; returns 1 when the file was merged and 0 otherwise, after showing every
// message the file deserved.
int RunImport(MergeWorkspace& workspace, const std::string& path, DatasetImport& dataset);

// The decimal value of a .DBF numeric text: leading white space skipped, an optional sign,
// then digits up to the first other character; no digits gives 0. Values beyond 32 bits
// are held at the nearest limit.
std::int32_t ParseCompany(std::string_view text);

// text without its trailing white space (space, tab, line feed, vertical tab, form feed,
// carriage return; bytes 128 to 255 never count).
std::string_view TrimTrailingWhiteSpace(std::string_view text);

}  // namespace tramelo
