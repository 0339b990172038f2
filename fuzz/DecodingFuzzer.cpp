// Decodes arbitrary bytes with the byte-order primitives, the file layouts and the field
// list, and checks them against each other and against the C library.

#include <bit>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/CodePage.h"
#include "fuzz/FuzzSupport.h"
#include "import/Rounding.h"
#include "import/ShapefileImport.h"
#include "shapefile/ByteOrder.h"
#include "shapefile/DbfFieldList.h"
#include "shapefile/Layouts.h"

namespace {

using namespace tramelo;
using fuzzing::Check;

void CheckByteOrder(const std::uint8_t* data) {
    for (const char order : {'B', 'L', 'x'}) {
        std::uint8_t copy[8];
        putInt32(getInt32(data, order), copy, order);
        Check(std::memcmp(copy, data, 4) == 0, "int32 round trip");
        putInt16(getInt16(data, order), copy, order);
        Check(std::memcmp(copy, data, 2) == 0, "int16 round trip");
        putDouble(getDouble(data, order), copy, order);
        Check(std::memcmp(copy, data, 8) == 0, "double round trip keeps the bits");
    }
    // Big-endian is little-endian reversed.
    std::uint8_t reversed[8];
    for (int i = 0; i < 8; ++i) {
        reversed[i] = data[7 - i];
    }
    Check(std::bit_cast<std::uint64_t>(getDouble(data, 'B')) ==
              std::bit_cast<std::uint64_t>(getDouble(reversed, 'L')),
          "big-endian double is the reversed little-endian one");
}

void CheckHeaders(const std::uint8_t* data) {
    const MainHeader header = MainHeader::decode(data);
    std::uint8_t encoded[MainHeader::kSize];
    header.encode(encoded);
    const MainHeader again = MainHeader::decode(encoded);
    Check(again.fileCode == header.fileCode && again.fileLengthWords == header.fileLengthWords &&
              again.shapeType == header.shapeType && again.version == header.version &&
              std::memcmp(encoded + 36, data + 36, 32) == 0,
          "main header round trip");

    const DbfHeader dbf = DbfHeader::decode(data);
    std::uint8_t dbfEncoded[DbfHeader::kSize];
    dbf.encode(dbfEncoded);
    Check(std::memcmp(dbfEncoded, data, 12) == 0, ".DBF header round trip");
}

// The fields as an import reads them: every width is the descriptor's length byte.
void CheckFields(const std::uint8_t* data, std::size_t size) {
    DbfFieldList fields;
    std::int32_t expected = 0;
    for (std::size_t at = 0; at + DbfFieldDescriptor::kSize <= size; at += DbfFieldDescriptor::kSize) {
        const DbfFieldDescriptor descriptor = DbfFieldDescriptor::decode(data + at);
        Check(descriptor.name.size() <= 11, "names of at most 11 bytes");
        Check(fields.appendDescriptor(descriptor).width == descriptor.length, "width is the length byte");
        expected += descriptor.length;
    }
    Check(fields.computeOffsets() == expected, "total width");
    std::int32_t offset = 0;
    for (const DbfField& field : fields) {
        Check(field.offset == offset, "offsets run in order");
        offset += field.width;
    }
}

// ParseCompany agrees with strtoll, held to 32 bits.
void CheckCompany(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), std::min<std::size_t>(size, 40));
    const std::string terminated = text.substr(0, text.find('\0'));
    errno = 0;
    long long reference = std::strtoll(terminated.c_str(), nullptr, 10);
    reference = std::clamp<long long>(reference, INT32_MIN, INT32_MAX);
    Check(ParseCompany(terminated) == reference, "company value as strtoll reads it");

    const std::string_view trimmed = TrimTrailingWhiteSpace(text);
    Check(text.starts_with(trimmed), "trimming keeps the start");
    Check(trimmed.empty() || std::strchr(" \t\n\v\f\r", trimmed.back()) == nullptr || trimmed.back() == '\0',
          "no trailing white space left");
}

// The code page conversions agree with each other: a strict conversion that succeeds is the
// lossy one, and code page 1252 text survives the way to UTF-8 and back.
void CheckCodePages(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), std::min<std::size_t>(size, 200));
    std::string strict;
    if (Utf8ToCp1252(text, strict)) {
        Check(strict == Utf8ToCp1252Lossy(text), "a strict conversion is the lossy one");
        Check(Cp1252ToUtf8(strict) == text, "UTF-8 that code page 1252 holds comes back as it was");
    }
    const std::string utf8 = Cp1252ToUtf8(text);
    std::string back;
    if (Utf8ToCp1252(utf8, back)) {
        Check(back == text, "code page 1252 text comes back as it was");
    }

    // The single-byte code pages: code page 1252 of the same length, ASCII as it was.
    for (const CodePage page : {CodePage::Iso8859_15, CodePage::Iso8859_2, CodePage::Cp437, CodePage::Cp850,
                                CodePage::Cp852, CodePage::Cp1250}) {
        const std::string lossy = SingleByteToCp1252Lossy(page, text);
        Check(lossy.size() == text.size(), "a single-byte conversion keeps the length");
        for (std::size_t i = 0; i < text.size(); ++i) {
            Check(static_cast<unsigned char>(text[i]) >= 0x80 || lossy[i] == text[i], "ASCII unchanged");
        }
        Check(Utf8ToCp1252(Cp1252ToUtf8(lossy), back) && back == lossy, "only assigned code page 1252 bytes");
        if (SingleByteToCp1252(page, text, strict)) {
            Check(strict == lossy, "a strict single-byte conversion is the lossy one");
        } else {
            Check(lossy.find('?') != std::string::npos, "a failed conversion loses a character");
        }
    }
    Check((CodePageNamed(text) == CodePage::Undeclared) ==
              (text.find_first_not_of(" \t\n\v\f\r-_") == std::string_view::npos),
          "only a name of white space, '-' and '_' declares nothing");
    if (size > 0) {
        CodePageOfLanguageDriver(data[0]);
    }
}

void CheckRounding(const std::uint8_t* data) {
    const double value = getDouble(data, 'L');
    const double rounded = RoundToTwoDecimals(value);
    if (!std::isfinite(value)) {
        Check(
            std::bit_cast<std::uint64_t>(rounded) == std::bit_cast<std::uint64_t>(value) || std::isnan(value),
            "non-finite values pass");
        return;
    }
    Check(std::isfinite(rounded), "finite stays finite");
    Check(std::signbit(rounded) == std::signbit(value), "sign kept");
    if (std::fabs(value) < 1e13) {
        Check(std::fabs(rounded - value) <= 0.005000001 + std::fabs(value) * 1e-15,
              "within half a hundredth");
        const double hundredths = rounded * 100.0;
        Check(std::fabs(hundredths - std::round(hundredths)) <
                  1e-3 * std::max(1.0, std::fabs(hundredths) * 1e-10),
              "two decimals");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size >= 8) {
        CheckByteOrder(data);
        CheckRounding(data);
    }
    if (size >= MainHeader::kSize) {
        CheckHeaders(data);
    }
    CheckFields(data, size);
    CheckCompany(data, size);
    CheckCodePages(data, size);
    return 0;
}
