#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "model/StopTable.h"
#include "tests/TableTestSupport.h"

namespace tramelo::testing {
namespace {

constexpr char kFirstFile[] = "/dati/a/RT_NODI.shp";
constexpr char kSecondFile[] = "/dati/b/RT_NODI.shp";

struct Stop {
    std::string code;
    std::string name;
    double x;
    double y;
};

class StopTableTest : public TableTest<StopTable> {
protected:
    void MergeFile(const std::vector<Stop>& stops, const char* path) {
        MergeRecords(stops, [&](const Stop& stop) { table.add(stop.code, stop.name, stop.x, stop.y, issues, path); });
    }
};

TEST_F(StopTableTest, CodesRepeatedInsideOneFileAllEnterTheTable) {
    MergeFile({{"F12", "Piazza", 1.0, 2.0}, {"F12", "Stazione", 3.0, 4.0}, {"F12", "Piazza", 1.0, 2.0}},
              kFirstFile);
    EXPECT_EQ(Codes(table), (std::vector<std::string>{"F12", "F12", "F12"}));
    EXPECT_TRUE(issues.stopIssues.isEmpty());

    // The same inside a later file, for codes new to the table.
    MergeFile({{"G1", "Uno", 0, 0}, {"G1", "Due", 0, 0}}, kSecondFile);
    EXPECT_EQ(Codes(table), (std::vector<std::string>{"F12", "F12", "F12", "G1", "G1"}));
    EXPECT_TRUE(issues.stopIssues.isEmpty());
}

TEST_F(StopTableTest, IdenticalRepeatFromLaterFileVanishes) {
    MergeFile({{"F12", "Piazza", 10.5, 20.25}}, kFirstFile);
    MergeFile({{"F12", "Piazza", 10.5, 20.25}}, kSecondFile);
    EXPECT_EQ(Codes(table), (std::vector<std::string>{"F12"}));
    EXPECT_TRUE(issues.stopIssues.isEmpty());
    EXPECT_TRUE(issues.routeIssues.isEmpty());
}

TEST_F(StopTableTest, ConflictingRepeatIsDroppedAndReported) {
    MergeFile({{"F12", "Piazza", 10.5, 20.25}}, kFirstFile);
    MergeFile({{"F12", "Piazza Nuova", 10.5, 20.25},
               {"F12", "Piazza", 10.51, 20.25},
               {"F12", "Piazza", 10.5, 20.24},
               {"F12", "Piazza", 10.5, 20.25}},
              kSecondFile);

    EXPECT_EQ(Codes(table), (std::vector<std::string>{"F12"}));
    EXPECT_EQ(table.head()->name, "Piazza");  // the first one seen wins
    EXPECT_EQ(Entries(issues.stopIssues),
              (std::vector<std::string>(3, std::string(kSecondFile) + "|" + Conflict("F12"))));
    EXPECT_TRUE(issues.routeIssues.isEmpty());
}

TEST_F(StopTableTest, FindSeesOnlyIndexedRecords) {
    table.add("A1", "Uno", 0, 0, issues, kFirstFile);
    EXPECT_FALSE(table.isEmpty());
    EXPECT_EQ(table.find("A1"), nullptr);  // appended, not yet indexed
    table.rebuildIndex();
    ASSERT_NE(table.find("A1"), nullptr);
    EXPECT_EQ(table.find("A1")->name, "Uno");

    table.add("B2", "Due", 0, 0, issues, kFirstFile);
    EXPECT_EQ(table.indexedCount(), 1);
    EXPECT_EQ(table.find("B2"), nullptr);
    table.rebuildIndex();
    EXPECT_EQ(table.indexedCount(), 2);
    EXPECT_NE(table.find("B2"), nullptr);
}

TEST_F(StopTableTest, CodesCompareExactlyByUnsignedBytes) {
    // Case, a trailing blank, a prefix and bytes above 127 all make different codes.
    const std::vector<std::string> codes = {"A1", "a1", "A1 ", "A", "A10", "\xE0", "z", "", "A\x80"};
    std::vector<Stop> stops;
    for (const std::string& code : codes) {
        stops.push_back({code, "stop " + code, 1.0, 1.0});
    }
    MergeFile(stops, kFirstFile);
    for (const std::string& code : codes) {
        const StopRecord* found = table.find(code);
        ASSERT_NE(found, nullptr) << "code [" << code << "]";
        EXPECT_EQ(found->name, "stop " + code);
    }
    EXPECT_EQ(table.find("A1  "), nullptr);
    EXPECT_EQ(table.find("B"), nullptr);
    EXPECT_EQ(table.find("\xFF"), nullptr);

    // Repeats from a later file are matched against exactly their own code.
    MergeFile({{"a1", "stop a1", 1.0, 1.0}, {"A1 ", "other", 1.0, 1.0}}, kSecondFile);
    EXPECT_EQ(Entries(issues.stopIssues).size(), 1u);
    EXPECT_EQ(issues.stopIssues.head()->message, Conflict("A1 "));
}

TEST_F(StopTableTest, IndexFindsEveryCodeAcrossRebuilds) {
    // Codes that share their first eight bytes, end in NUL bytes or are prefixes of others
    // are told apart exactly, whichever rebuild indexed them.
    const std::vector<std::vector<std::string>> files = {
        {"ABCDEFGH2", "ABC", std::string("ABCDEFGH\0", 9), "zz"},
        {"ABCDEFGH", "", "ABCDEFGH1", "\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF"},
        {"ABCDEFGH10", "AB", std::string("ABC\0", 4), "ABCDEFGG\xFF"},
    };
    std::vector<std::string> indexed;
    for (const auto& codes : files) {
        for (const std::string& code : codes) {
            table.add(code, "n" + code, 0, 0, issues, kFirstFile);
        }
        table.rebuildIndex();
        indexed.insert(indexed.end(), codes.begin(), codes.end());
        for (const std::string& code : indexed) {
            const StopRecord* found = table.find(code);
            ASSERT_NE(found, nullptr) << "[" << code << "]";
            EXPECT_EQ(found->code, code);
        }
        for (const std::string absent : {"ABCDEFGH0", "ABCDEFG", "ABCDEFGH100", "A", "zzz", "\xFF"}) {
            EXPECT_EQ(table.find(absent), nullptr) << "[" << absent << "]";
        }
    }
    EXPECT_EQ(table.indexedCount(), 12);
}

TEST_F(StopTableTest, LargeIndexFindsCodesSharingLongPrefixes) {
    // Thousands of codes with one eight-byte prefix span many blocks of the index, among
    // short codes before and after them.
    std::vector<std::string> codes;
    for (int i = 0; i < 3000; ++i) {
        codes.push_back("ABCDEFGH" + std::to_string(i * 7));
        codes.push_back(std::to_string(i));
        codes.push_back("Z" + std::to_string(i));
    }
    for (std::size_t start = 0; start < codes.size(); start += 2000) {  // over several rebuilds
        for (std::size_t i = start; i < std::min(codes.size(), start + 2000); ++i) {
            table.add(codes[i], codes[i], 0, 0, issues, kFirstFile);
        }
        table.rebuildIndex();
    }
    EXPECT_EQ(table.indexedCount(), 9000);
    for (const std::string& code : codes) {
        const StopRecord* found = table.find(code);
        ASSERT_NE(found, nullptr) << code;
        EXPECT_EQ(found->name, code);
    }
    for (const std::string absent :
         {"ABCDEFGH1", "ABCDEFGH", "ABCDEFGH99999", "ABCDEFG", "Z", "Z99999", "-1"}) {
        EXPECT_EQ(table.find(absent), nullptr) << absent;
    }
}

TEST_F(StopTableTest, CoordinatesCompareByIeeeEquality) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    MergeFile({{"ZERO", "z", 0.0, -0.0}, {"NAN", "n", nan, 1.0}}, kFirstFile);
    MergeFile({{"ZERO", "z", -0.0, 0.0}, {"NAN", "n", nan, 1.0}}, kSecondFile);
    // -0.0 equals +0.0, a NaN never equals anything, itself included.
    EXPECT_EQ(Entries(issues.stopIssues),
              (std::vector<std::string>{std::string(kSecondFile) + "|" + Conflict("NAN")}));
    EXPECT_EQ(Codes(table), (std::vector<std::string>{"ZERO", "NAN"}));

    const double one = 1.0;
    const double next = std::nextafter(one, 2.0);
    EXPECT_FALSE(StopRecord("A", "n", one, 0).equals(StopRecord("A", "n", next, 0)));
    EXPECT_TRUE(StopRecord("A", "n", one, 0).equals(StopRecord("A", "n", one, 0)));
}

TEST_F(StopTableTest, ExportOrderIsAcceptanceOrder) {
    MergeFile({{"Z9", "", 0, 0}, {"A1", "", 0, 0}}, kFirstFile);
    MergeFile({{"M5", "", 0, 0}, {"A1", "", 0, 0}, {"B2", "", 0, 0}}, kSecondFile);
    EXPECT_EQ(Codes(table), (std::vector<std::string>{"Z9", "A1", "M5", "B2"}));
    EXPECT_EQ(table.tail()->code, "B2");
    EXPECT_EQ(table.tail()->next, nullptr);
}

// Of several indexed records with one code, the first accepted is the one compared, also
// after the index has grown many times over.
TEST_F(StopTableTest, SharedCodeInIndexIsComparedWithTheFirstOfItsRecords) {
    MergeFile({{"F1", "Uno", 0, 0}, {"F1", "Due", 0, 0}}, kFirstFile);
    for (int i = 0; i < 5000; ++i) {
        table.add("G" + std::to_string(i), "", 0, 0, issues, kFirstFile);
    }
    MergeFile({{"F1", "Tre", 0, 0}}, kFirstFile);  // a third, in a later rebuild
    ASSERT_NE(table.find("F1"), nullptr);
    EXPECT_EQ(table.find("F1")->name, "Uno");
    // Identical to the first: dropped silently; like the second: a conflict.
    MergeFile({{"F1", "Uno", 0, 0}, {"F1", "Due", 0, 0}}, kSecondFile);
    EXPECT_EQ(Entries(issues.stopIssues),
              (std::vector<std::string>{std::string(kFirstFile) + "|" + Conflict("F1"),
                                        std::string(kSecondFile) + "|" + Conflict("F1")}));
    EXPECT_EQ(Codes(table).size(), 5002u);
}

}  // namespace
}  // namespace tramelo::testing
