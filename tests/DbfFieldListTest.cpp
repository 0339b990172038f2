#include <gtest/gtest.h>

#include <vector>

#include "shapefile/DbfFieldList.h"

namespace tramelo {
namespace {

TEST(DbfFieldListTest, WidthFollowsTypeSignAndDecimals) {
    struct Case {
        char type;
        std::int32_t length;
        std::int32_t decimals;
        bool withSign;
        std::int32_t width;
    };
    const Case cases[] = {
        {'N', 4, 0, true, 5},   {'N', 4, 0, false, 4},  {'N', 3, 2, false, 6}, {'N', 3, 2, true, 7},
        {'N', 6, 3, false, 10},  // a descriptor of length 10, 3 decimals
        {'C', 40, 0, true, 40}, {'D', 8, 0, true, 8},   {'L', 1, 0, false, 1}, {'F', 19, 5, true, 19},
        {'M', 10, 2, true, 10}, {'X', 20, 0, true, 20}, {'n', 4, 2, true, 4},  // only the capital N counts as
                                                                               // numeric
    };
    for (const Case& c : cases) {
        DbfFieldList list;
        EXPECT_EQ(list.append("F", static_cast<std::uint8_t>(c.type), c.length, c.decimals, c.withSign).width,
                  c.width)
            << c.type << " " << c.length << "." << c.decimals << (c.withSign ? " signed" : "");
    }
}

TEST(DbfFieldListTest, OffsetsRunInListOrder) {
    DbfFieldList empty;
    EXPECT_EQ(empty.computeOffsets(), 0);
    EXPECT_EQ(empty.head(), nullptr);

    DbfFieldList list;
    list.append("DENOM", 'C', 40, 0, false);
    list.append("AZIENDA", 'N', 4, 0, true);
    EXPECT_EQ(list.head()->offset, 0);  // not placed before computeOffsets
    EXPECT_EQ(list.tail()->offset, 0);
    EXPECT_EQ(list.computeOffsets(), 45);  // records of 46 bytes

    std::vector<std::string> names;
    std::vector<std::int32_t> offsets;
    for (const DbfField& field : list) {
        names.push_back(field.name);
        offsets.push_back(field.offset);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"DENOM", "AZIENDA"}));
    EXPECT_EQ(offsets, (std::vector<std::int32_t>{0, 40}));
    EXPECT_EQ(list.head()->next, list.tail());
    EXPECT_EQ(list.tail()->next, nullptr);
}

TEST(DbfFieldListTest, ExportFieldsGiveTheRecordLengths) {
    DbfFieldList stops;
    stops.append("AZIENDA", 'N', 4, 0, true);
    stops.append("COD_FERM", 'X', 10, 0, true);
    stops.append("DENOM", 'X', 40, 0, true);
    EXPECT_EQ(stops.computeOffsets(), 55);

    DbfFieldList routes;
    routes.append("AZIENDA", 'N', 4, 0, true);
    routes.append("COD_PERC", 'X', 20, 0, true);
    routes.append("DESCR", 'X', 120, 0, true);
    EXPECT_EQ(routes.computeOffsets(), 145);
}

}  // namespace
}  // namespace tramelo
