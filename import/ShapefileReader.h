#pragma once

// Reads one input shapefile (.SHP, .SHX, .DBF) the way both importers need it: headers,
// the record count from the .SHX, the .DBF field list, then the records of the geometry pass
// (through the .SHX entries) and of the attribute pass (one .DBF record after the other).
//
// It judges only the format: a method returning false has met a short read, a wrong file
// code or version, a seek landing elsewhere, or a size that reaches past what the file
// holds, and failure() then says which, in a few words. What the records mean is the
// importers' business.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "shapefile/DbfFieldList.h"
#include "shapefile/FileSystem.h"

namespace tramelo {

class ShapefileReader {
public:
    enum class OpenResult { Opened, ShpMissing, ShxMissing, DbfMissing };

    explicit ShapefileReader(FileSystem& files) : files_(files) {}

    // Opens the .SHP at path and its companions: the path with its last three characters
    // replaced by "SHX" and "DBF", or by "shx" and "dbf" when no upper-case file exists.
    // The optional companions .PRJ and .CPG, named the same way, are read whole when they
    // are there and can be read.
    OpenResult open(const std::string& path);

    // An optional companion as open() found it: its bytes when it could be read whole.
    struct Sidecar {
        enum class State {
            Absent,
            Read,
            Unreadable,  // there, but opening or reading it failed
            TooLarge,    // larger than kMaxSidecarSize: no coordinate system or code page is
                         // written at such length
        };
        State state = State::Absent;
        std::string path;
        std::optional<std::string> bytes;  // when Read
    };

    // The bytes of the .prj and of the .cpg, when the file has them and they could be read.
    const std::optional<std::string>& prj() const { return prj_.bytes; }
    const std::optional<std::string>& cpg() const { return cpg_.bytes; }
    const Sidecar& prjFile() const { return prj_; }
    const Sidecar& cpgFile() const { return cpg_; }

    static constexpr std::int64_t kMaxSidecarSize = 64 * 1024;

    // Both main headers, the count of .SHX entries and the .DBF field list.
    bool readHeaders();

    std::int32_t shapeType() const { return shapeType_; }
    // The number of features: the .SHX entries that begin before its stated length.
    std::int32_t recordCount() const { return recordCount_; }
    const DbfFieldList& fields() const { return fields_; }
    // The .DBF header's language driver: the code page of the texts, 0 when none is declared.
    std::uint8_t languageDriver() const { return languageDriver_; }

    // Places the fields in a record and goes to the first .SHX entry.
    bool startGeometryPass();
    // The content of the next record, located through its .SHX entry; valid until the
    // next call.
    bool nextShape(std::span<const std::uint8_t>& content);

    // The bytes of the .SHP and of the .DBF, where the file is held in memory whole (the
    // contents and records handed out lie in them); none where it is read as it goes or
    // has been released.
    HeldBytes heldShapes() const { return shp_ ? shp_->held() : HeldBytes(); }
    HeldBytes heldAttributes() const { return dbf_ ? dbf_->held() : HeldBytes(); }

    // Closes the .SHP and .SHX once the geometry pass is over. Then the attribute pass.
    void releaseShapes();

    // May be called again before releaseAttributes(), to read the records once more.
    bool startAttributePass();
    // The next .DBF record, deletion flag included; valid until the next call.
    bool nextAttributes(std::span<const std::uint8_t>& record);
    // Closes the .DBF once the attribute pass is over.
    void releaseAttributes();

    // What the last method that returned false met, naming the file: ".SHX: ...".
    const std::string& failure() const { return failure_; }

    // "l'entità "i"" followed by after.
    static std::string Feature(std::int32_t i, std::string_view after);

private:
    Sidecar readSidecar(std::string path);
    // Notes why the format is wrong; returns false.
    bool fail(std::string_view file, std::string what);

    static constexpr std::string_view kShp = ".SHP";
    static constexpr std::string_view kShx = ".SHX";
    static constexpr std::string_view kDbf = ".DBF";

    // Reads size bytes into bytes_; false when the file holds fewer.
    bool readExactly(InputFile& file, std::size_t size);
    // .SHX entries and .DBF records are read many at a time and handed out one by one:
    // makes sure chunk starts with one of size bytes, reading about kChunkBytes of the
    // `remaining` still expected. False when the file holds no whole one more.
    bool nextEntries(InputFile& file, std::span<const std::uint8_t>& chunk, bool& ended, std::size_t size,
                     std::int32_t remaining);

    static constexpr std::size_t kChunkBytes = 64 * 1024;

    FileSystem& files_;
    std::unique_ptr<InputFile> shp_;
    std::unique_ptr<InputFile> shx_;
    std::unique_ptr<InputFile> dbf_;

    std::int32_t shapeType_ = 0;
    std::int32_t shxLengthWords_ = 0;
    std::int32_t recordCount_ = 0;
    std::uint16_t dbfHeaderLength_ = 0;
    std::uint16_t dbfRecordLength_ = 0;
    std::uint8_t languageDriver_ = 0;
    DbfFieldList fields_;
    Sidecar prj_;
    Sidecar cpg_;

    // The bytes of the last read: a view into the file's own buffer, which holds headers,
    // .SHX entries, record headers, contents and .DBF records in turn.
    std::span<const std::uint8_t> bytes_;
    // The entries and records read but not handed out yet, and whether their file ended.
    std::span<const std::uint8_t> shxChunk_;
    std::span<const std::uint8_t> dbfChunk_;
    bool shxEnded_ = false;
    bool dbfEnded_ = false;
    std::string failure_;
    std::int32_t shapesRead_ = 0;
    std::int32_t recordsRead_ = 0;
};

}  // namespace tramelo
