#include "export/DatasetWriter.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "shapefile/FileSystem.h"
#include "workspace/DatasetSchema.h"
#include "workspace/Message.h"

namespace tramelo {

namespace {

constexpr std::string_view kCodePageName = "1252";

std::string FileName(std::string_view baseName, std::string_view extension) {
    return std::string(baseName).append(".").append(extension);
}

}  // namespace

DatasetWriter::DatasetWriter(FileSystem& files, const std::string& folder, const DatasetSchema& schema,
                             std::int32_t companyCode, std::int64_t maxFileWords)
    : schema_(schema),
      companyText_(DecimalText(companyCode)),
      maxFileWords_(maxFileWords),
      set_(files),
      folder_(folder) {
    // The record length comes from the field list: the company's digits less one plus a
    // sign position, then the two texts.
    fields_.append(schema.companyField, 'N', schema.companyDigits - 1, 0, true);
    fields_.append(schema.codeFields.front(), 'X', schema.codeWidth, 0, true);
    fields_.append(schema.textField, 'X', schema.textWidth, 0, true);
    recordLength_ = 1 + fields_.computeOffsets();

    shp_ = &set_.create(JoinPath(folder, FileName(schema.baseName, "SHP")));
    shx_ = &set_.create(JoinPath(folder, FileName(schema.baseName, "SHX")));
    dbf_ = &set_.create(JoinPath(folder, FileName(schema.baseName, "DBF")));
    cpg_ = &set_.create(JoinPath(folder, FileName(schema.baseName, "CPG")));

    // Not an empty box (lowest() as maxima, as a geometry without points has): the maxima
    // start at the smallest positive normal double. They survive only in a dataset without
    // features, whose header has always carried these bytes.
    box_.xMin = box_.yMin = std::numeric_limits<double>::max();
    box_.xMax = box_.yMax = std::numeric_limits<double>::min();
}

void DatasetWriter::setPrj(std::optional<std::string_view> prj) {
    const std::string path = JoinPath(folder_, FileName(schema_.baseName, "PRJ"));
    if (prj) {
        prj_ = &set_.create(path);
        prjText_ = prj;
    } else {
        set_.drop(path);
    }
}

void DatasetWriter::start() {
    std::fill_n(scratch_.begin(), MainHeader::kSize, std::uint8_t{0});
    shp_->write(scratch_.data(), MainHeader::kSize);
    shx_->write(scratch_.data(), MainHeader::kSize);
    dbf_->write(scratch_.data(), DbfHeader::kSize);

    // The descriptors carry the letters of the file, not those of the field list.
    const std::uint8_t types[] = {'N', 'C', 'C'};
    const std::uint8_t* type = types;
    for (const DbfField& field : fields_) {
        DbfFieldDescriptor descriptor;
        descriptor.name = field.name;
        descriptor.type = *type++;
        descriptor.length = static_cast<std::uint8_t>(field.width);
        descriptor.encode(scratch_.data());
        dbf_->write(scratch_.data(), DbfFieldDescriptor::kSize);
    }
    dbf_->write(&kDbfHeaderTerminator, 1);
}

void DatasetWriter::reserveScratch(std::size_t recordSize, std::size_t newCapacity) {
    if (recordSize > scratch_.size()) {
        scratch_ = std::vector<std::uint8_t>(newCapacity);
    }
}

void DatasetWriter::writeAttributes(std::string_view code, std::string_view text) {
    std::uint8_t* record = scratch_.data();
    record[0] = kDbfLiveRecord;
    // Blanks first, then each value left-aligned over them, cut to its field.
    std::memset(record + 1, ' ', static_cast<std::size_t>(recordLength_ - 1));
    const std::string_view values[] = {companyText_, code, text};
    const std::string_view* value = values;
    for (const DbfField& field : fields_) {
        const std::size_t size = std::min(value->size(), static_cast<std::size_t>(field.width));
        if (size > 0) {
            std::memcpy(record + 1 + field.offset, value->data(), size);
        }
        ++value;
    }
    dbf_->write(record, static_cast<std::size_t>(recordLength_));
    ++recordCount_;
}

void DatasetWriter::widenBox(const BoundingBox& box) {
    if (recordCount_ == 1) {  // the first feature replaces the start values
        box_ = box;
    } else {
        box_.widen(box);
    }
}

std::span<std::uint8_t> DatasetWriter::beginShape(std::size_t contentSize) {
    const std::int64_t contentWords = static_cast<std::int64_t>(contentSize / 2);
    // Offsets and lengths are 32-bit counts of words: a dataset that would pass them cannot
    // be written correctly, so it is not written at all.
    if (shpPositionWords_ + (RecordHeader::kSize / 2) + contentWords > maxFileWords_) {
        throw FileError(shp_->target(), "too large for the format");
    }
    ShxEntry{shpPositionWords_, static_cast<std::int32_t>(contentWords)}.encode(scratch_.data());
    shx_->write(scratch_.data(), ShxEntry::kSize);
    shxLengthWords_ += kShxEntryWords;

    RecordHeader{recordCount_, static_cast<std::int32_t>(contentWords)}.encode(scratch_.data());
    return std::span(scratch_.data() + RecordHeader::kSize, contentSize);
}

void DatasetWriter::endShape(std::size_t contentSize) {
    shp_->write(scratch_.data(), RecordHeader::kSize + contentSize);
    shpPositionWords_ += static_cast<std::int32_t>((RecordHeader::kSize + contentSize) / 2);
}

std::int32_t DatasetWriter::complete(const CalendarDate& today) {
    MainHeader header;
    header.shapeType = schema_.shapeType;
    header.box = box_;
    header.fileLengthWords = shpPositionWords_;
    header.encode(scratch_.data());
    shp_->seekToStart();
    shp_->write(scratch_.data(), MainHeader::kSize);

    header.fileLengthWords = shxLengthWords_;
    header.encode(scratch_.data());
    shx_->seekToStart();
    shx_->write(scratch_.data(), MainHeader::kSize);

    dbf_->write(&kDbfEndOfFile, 1);
    DbfHeader dbfHeader;
    dbfHeader.lastUpdate = today;
    dbfHeader.recordCount = recordCount_;
    dbfHeader.headerLength = static_cast<std::uint16_t>(DbfHeader::kSize + 3 * DbfFieldDescriptor::kSize + 1);
    dbfHeader.recordLength = static_cast<std::uint16_t>(recordLength_);
    dbfHeader.encode(scratch_.data());
    dbf_->seekToStart();
    dbf_->write(scratch_.data(), DbfHeader::kSize);

    // The texts of the .DBF are code page 1252 whatever the inputs said, and a reader told so
    // shows "à" as "à"; the .DBF's own language byte stays 0, as every earlier output had it.
    cpg_->write(kCodePageName.data(), kCodePageName.size());
    if (prj_ != nullptr) {
        prj_->write(prjText_->data(), prjText_->size());
    }
    set_.close();
    return recordCount_;
}

}  // namespace tramelo
