#include "shapefile/DbfFieldList.h"

#include <algorithm>

namespace tramelo {

namespace {

// A letter of 'a' to 'z' turned into upper case, every other byte unchanged.
char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

DbfField& DbfFieldList::append(std::string_view name, std::uint8_t type, std::int32_t length,
                               std::int32_t decimals, bool withSign) {
    std::int32_t width = length;
    if (type == 'N') {
        if (withSign) {
            width += 1;
        }
        if (decimals != 0) {
            width += decimals + 1;
        }
    }
    return fields_.append(name, type, length, decimals, width);
}

DbfField& DbfFieldList::appendDescriptor(const DbfFieldDescriptor& descriptor) {
    std::string name = descriptor.name;
    std::transform(name.begin(), name.end(), name.begin(), AsciiUpper);
    std::int32_t length = descriptor.length;
    std::int32_t decimals = 0;
    if (descriptor.type == 'N' && descriptor.decimals > 0) {
        decimals = descriptor.decimals;
        length = descriptor.length - decimals - 1;
    }
    return append(name, descriptor.type, length, decimals, false);
}

std::int32_t DbfFieldList::computeOffsets() {
    std::int32_t sum = 0;
    for (DbfField& field : fields_) {
        field.offset = sum;
        sum += field.width;
    }
    return sum;
}

}  // namespace tramelo
