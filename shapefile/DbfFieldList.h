#pragma once

// The ordered fields of a .DBF record, with the width and position of each value.
//
// The importers fill it from a file's descriptors and cut values out of every record with
// it; the exporters fill it with the fields they write and size their record with it.

#include <cstdint>
#include <string>
#include <string_view>

#include "base/AppendList.h"
#include "shapefile/Layouts.h"

namespace tramelo {

struct DbfField {
    DbfField(std::string_view name, std::uint8_t type, std::int32_t length, std::int32_t decimals,
             std::int32_t width)
        : name(name), type(type), length(length), decimals(decimals), width(width) {}

    std::string name;
    std::uint8_t type;        // the descriptor's letter; only 'N' changes the width rule
    std::int32_t length;      // for 'N' with decimals: the integer digits only
    std::int32_t decimals;    // 0 for none
    std::int32_t width;       // bytes the value occupies in a record
    std::int32_t offset = 0;  // from the byte after the deletion flag; set by computeOffsets
    DbfField* next = nullptr;
};

class DbfFieldList {
public:
    // Appends a field whose width is its length, except for type 'N': plus 1 with a sign,
    // plus the decimals and the decimal point when decimals is not 0.
    DbfField& append(std::string_view name, std::uint8_t type, std::int32_t length, std::int32_t decimals,
                     bool withSign);

    // Appends the field a descriptor read from a file describes: its name with the letters a
    // to z in upper case, its type, and its length and decimals split so that the width is
    // the descriptor's length byte whatever the type (for 'N' with decimals the length is
    // the integer digits: the length byte less the decimals and the point).
    DbfField& appendDescriptor(const DbfFieldDescriptor& descriptor);

    // Gives each field its offset, in list order, and returns the total width.
    std::int32_t computeOffsets();

    const DbfField* head() const { return fields_.head(); }
    const DbfField* tail() const { return fields_.tail(); }
    auto begin() const { return fields_.begin(); }
    auto end() const { return fields_.end(); }

private:
    AppendList<DbfField> fields_;
};

}  // namespace tramelo
