#include "shapefile/DbfFieldList.h"

namespace tramelo {

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

std::int32_t DbfFieldList::computeOffsets() {
    std::int32_t sum = 0;
    for (DbfField& field : fields_) {
        field.offset = sum;
        sum += field.width;
    }
    return sum;
}

}  // namespace tramelo
