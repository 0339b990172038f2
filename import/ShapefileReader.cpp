#include "import/ShapefileReader.h"

#include <algorithm>

#include "base/Texts.h"
#include "shapefile/ByteOrder.h"
#include "shapefile/Companions.h"
#include "shapefile/Layouts.h"
#include "workspace/Message.h"

namespace tramelo {

namespace {

std::unique_ptr<InputFile> OpenOrNull(FileSystem& files, const std::string& path) {
    try {
        return files.openForReading(path);
    } catch (const FileError&) {
        return nullptr;
    }
}

}  // namespace

ShapefileReader::Sidecar ShapefileReader::readSidecar(std::string path) {
    Sidecar sidecar{Sidecar::State::Absent, std::move(path), std::nullopt};
    if (!files_.exists(sidecar.path)) {
        return sidecar;
    }
    sidecar.state = Sidecar::State::Unreadable;
    try {
        const std::unique_ptr<InputFile> file = files_.openForReading(sidecar.path);
        const std::int64_t size = file->size();
        if (size > kMaxSidecarSize) {
            sidecar.state = Sidecar::State::TooLarge;
            return sidecar;
        }
        std::string bytes(static_cast<std::size_t>(size), '\0');
        if (file->readInto(reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size()) == bytes.size()) {
            sidecar.bytes = std::move(bytes);
            sidecar.state = Sidecar::State::Read;
        }
    } catch (const FileError&) {
    }
    return sidecar;
}

ShapefileReader::OpenResult ShapefileReader::open(const std::string& path) {
    if (!(shp_ = OpenOrNull(files_, path))) {
        return OpenResult::ShpMissing;
    }
    if (!(shx_ = OpenOrNull(files_, FindCompanion(files_, path, kShxCompanion)))) {
        shp_.reset();
        return OpenResult::ShxMissing;
    }
    if (!(dbf_ = OpenOrNull(files_, FindCompanion(files_, path, kDbfCompanion)))) {
        shx_.reset();
        shp_.reset();
        return OpenResult::DbfMissing;
    }
    prj_ = readSidecar(FindCompanion(files_, path, kPrjCompanion));
    cpg_ = readSidecar(FindCompanion(files_, path, kCpgCompanion));
    return OpenResult::Opened;
}

bool ShapefileReader::readExactly(InputFile& file, std::size_t size) {
    bytes_ = file.read(size);
    return bytes_.size() == size;
}

bool ShapefileReader::fail(std::string_view file, std::string what) {
    failure_ = std::string(file).append(": ").append(what);
    return false;
}

bool ShapefileReader::readHeaders() {
    const auto badCode = [](std::int32_t code) {
        return std::string(texts::kReasonFileCode)
            .append(DecimalText(code))
            .append(texts::kReasonNeeded)
            .append(DecimalText(kShapefileCode));
    };
    if (!readExactly(*shp_, MainHeader::kSize)) {
        return fail(kShp, std::string(texts::kReasonHeaderShort));
    }
    const MainHeader shpHeader = MainHeader::decode(bytes_.data());
    if (shpHeader.fileCode != kShapefileCode) {
        return fail(kShp, badCode(shpHeader.fileCode));
    }
    shapeType_ = shpHeader.shapeType;

    if (!readExactly(*shx_, MainHeader::kSize)) {
        return fail(kShx, std::string(texts::kReasonHeaderShort));
    }
    const MainHeader shxHeader = MainHeader::decode(bytes_.data());
    if (shxHeader.fileCode != kShapefileCode) {
        return fail(kShx, badCode(shxHeader.fileCode));
    }
    shxLengthWords_ = shxHeader.fileLengthWords;

    // The .SHX, not the .DBF record count, says how many features there are: every entry
    // that begins before the stated length must be there in full.
    recordCount_ = 0;
    for (std::int64_t position = kMainHeaderWords; position < shxLengthWords_; position += kShxEntryWords) {
        if (!readExactly(*shx_, ShxEntry::kSize)) {
            return fail(kShx, std::string(texts::kReasonShxShort));
        }
        ++recordCount_;
    }

    if (!readExactly(*dbf_, DbfHeader::kSize)) {
        return fail(kDbf, std::string(texts::kReasonHeaderShort));
    }
    const DbfHeader dbfHeader = DbfHeader::decode(bytes_.data());
    if (dbfHeader.version != kDbfVersion) {
        return fail(kDbf, std::string(texts::kReasonDbfVersion)
                              .append(DecimalText(dbfHeader.version))
                              .append(texts::kReasonNeeded)
                              .append(DecimalText(kDbfVersion)));
    }
    dbfHeaderLength_ = dbfHeader.headerLength;
    dbfRecordLength_ = dbfHeader.recordLength;
    languageDriver_ = dbfHeader.languageDriver;

    // Descriptors fill the header up to its terminator byte, which is never read.
    for (int position = DbfHeader::kSize; position < dbfHeaderLength_ - 1;
         position += DbfFieldDescriptor::kSize) {
        if (!readExactly(*dbf_, DbfFieldDescriptor::kSize)) {
            return fail(kDbf, std::string(texts::kReasonHeaderShort));
        }
        fields_.appendDescriptor(DbfFieldDescriptor::decode(bytes_.data()));
    }
    return true;
}

bool ShapefileReader::startGeometryPass() {
    const std::int32_t totalWidth = fields_.computeOffsets();
    // Values must never come from bytes that were not read: a record shorter than its
    // fields is a malformed file.
    if (dbfRecordLength_ < 1 + totalWidth) {
        return fail(kDbf, std::string(texts::kReasonRecordBefore)
                              .append(DecimalText(dbfRecordLength_))
                              .append(texts::kReasonRecordMiddle)
                              .append(DecimalText(1 + totalWidth)));
    }
    return shx_->seek(MainHeader::kSize) == MainHeader::kSize || fail(kShx, std::string(texts::kReasonReadError));
}

bool ShapefileReader::nextEntries(InputFile& file, std::span<const std::uint8_t>& chunk, bool& ended,
                                  std::size_t size, std::int32_t remaining) {
    if (chunk.size() >= size) {
        return true;
    }
    // The file ended (or failed) within the entries still expected: nothing after it counts.
    if (ended) {
        return false;
    }
    const auto perChunk = static_cast<std::int32_t>(std::max<std::size_t>(1, kChunkBytes / size));
    const std::size_t wanted = size * static_cast<std::size_t>(std::min(remaining, perChunk));
    chunk = file.read(wanted);
    ended = chunk.size() < wanted;
    return chunk.size() >= size;
}

// "l'entità "i"" and what of it.
std::string ShapefileReader::Feature(std::int32_t i, std::string_view after) {
    return std::string(texts::kFeatureBefore).append(DecimalText(i)).append(after);
}

bool ShapefileReader::nextShape(std::span<const std::uint8_t>& content) {
    if (!nextEntries(*shx_, shxChunk_, shxEnded_, ShxEntry::kSize, recordCount_ - shapesRead_)) {
        return fail(kShx, std::string(texts::kReasonShxShort));
    }
    const ShxEntry entry = ShxEntry::decode(shxChunk_.data());
    shxChunk_ = shxChunk_.subspan(ShxEntry::kSize);
    const std::int32_t feature = shapesRead_++;
    const std::int64_t offset = std::int64_t{entry.offsetWords} * 2;
    const std::int64_t contentSize = std::int64_t{entry.contentLengthWords} * 2;
    // Checked before anything is allocated: a few hostile bytes must not ask for gigabytes.
    if (offset < 0 || contentSize < 0 || offset + RecordHeader::kSize + contentSize > shp_->size()) {
        return fail(kShp, Feature(feature, texts::kReasonPastEndAfter));
    }
    // The record header is not used: the entry's content length governs.
    if (shp_->seek(offset) != offset ||
        !readExactly(*shp_, RecordHeader::kSize + static_cast<std::size_t>(contentSize))) {
        return fail(kShp, Feature(feature, texts::kReasonUnreadableAfter));
    }
    content = bytes_.subspan(RecordHeader::kSize);
    return true;
}

void ShapefileReader::releaseShapes() {
    bytes_ = {};
    shxChunk_ = {};
    shp_.reset();
    shx_.reset();
}

void ShapefileReader::releaseAttributes() {
    bytes_ = {};
    dbfChunk_ = {};
    dbf_.reset();
}

bool ShapefileReader::startAttributePass() {
    bytes_ = {};
    dbfChunk_ = {};
    dbfEnded_ = false;
    recordsRead_ = 0;
    return dbf_->seek(dbfHeaderLength_) == dbfHeaderLength_ || fail(kDbf, std::string(texts::kReasonReadError));
}

bool ShapefileReader::nextAttributes(std::span<const std::uint8_t>& record) {
    if (!nextEntries(*dbf_, dbfChunk_, dbfEnded_, dbfRecordLength_, recordCount_ - recordsRead_)) {
        return fail(kDbf, std::string(texts::kReasonRecordMissingBefore).append(DecimalText(recordsRead_)).append("\""));
    }
    record = dbfChunk_.first(dbfRecordLength_);
    dbfChunk_ = dbfChunk_.subspan(dbfRecordLength_);
    ++recordsRead_;
    return true;
}

}  // namespace tramelo
