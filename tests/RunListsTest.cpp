#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "base/AppendList.h"
#include "base/Arena.h"
#include "base/HeldBytes.h"
#include "base/Sanitizers.h"
#include "model/AcquiredFileList.h"
#include "model/IssueLog.h"
#include "model/RouteBatch.h"
#include "model/StopBatch.h"
#include "tests/support/Contents.h"
#include "tests/support/ShapefileBuilder.h"

namespace tramelo::testing {
namespace {

// Millions of nodes: a list that freed its nodes by following the links, one call deeper for
// each node, would overflow any stack; one that kept them in a growing array would move them.
TEST(AppendListTest, NodesStayPutAndALongListIsFreedWithoutRecursion) {
    struct Node {
        explicit Node(int value) : value(value) {}
        int value;
        Node* next = nullptr;
    };
    constexpr int kNodes = 4'000'000;
    {
        AppendList<Node> list;
        const Node& first = list.append(0);
        for (int i = 1; i < kNodes; ++i) {
            list.append(i);
        }
        EXPECT_EQ(&first, list.head());
        EXPECT_EQ(list.head()->next->value, 1);
        EXPECT_EQ(list.tail()->value, kNodes - 1);
        EXPECT_EQ(list.tail()->next, nullptr);
        int count = 0;
        for (const Node& node : list) {
            ASSERT_EQ(node.value, count++);
        }
        EXPECT_EQ(count, kNodes);
    }  // destroyed here
    AppendList<Node> empty;
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_EQ(empty.begin(), empty.end());
}

TEST(IssueLogTest, KeepsStopAndRouteIssuesApartInDetectionOrder) {
    IssueLog log;
    EXPECT_TRUE(log.stopIssues.isEmpty());
    EXPECT_TRUE(log.routeIssues.isEmpty());
    log.addRouteIssue("b.shp", "r1");
    log.addStopIssue("b.shp", "s1");
    log.addStopIssue("c.shp", "s2");
    EXPECT_EQ(Entries(log.stopIssues), (std::vector<std::string>{"b.shp|s1", "c.shp|s2"}));
    EXPECT_EQ(log.routeIssues.head(), log.routeIssues.tail());
    EXPECT_EQ(log.routeIssues.head()->message, "r1");
    EXPECT_EQ(log.stopIssues.tail()->next, nullptr);
}

TEST(AcquiredFileListTest, ContainsComparesPathsExactly) {
    AcquiredFileList list;
    EXPECT_FALSE(list.contains(""));
    EXPECT_FALSE(list.contains("/dati/RT_NODI.shp"));
    list.append("/dati/RT_NODI.shp");
    list.append("/dati/citt\xE0/RT_NODI.shp");
    EXPECT_TRUE(list.contains("/dati/RT_NODI.shp"));
    EXPECT_TRUE(list.contains("/dati/citt\xE0/RT_NODI.shp"));
    // Another spelling of the same file is another path.
    for (const char* other :
         {"/dati/rt_nodi.shp", "/dati/RT_NODI.SHP", "/dati//RT_NODI.shp", "/dati/./RT_NODI.shp",
          "/dati/RT_NODI.shp ", "dati/RT_NODI.shp", "/dati/RT_NODI.sh"}) {
        EXPECT_FALSE(list.contains(other)) << other;
    }
    std::vector<std::string> paths;
    for (const AcquiredFile& file : list) {
        paths.push_back(file.path);
    }
    EXPECT_EQ(paths, (std::vector<std::string>{"/dati/RT_NODI.shp", "/dati/citt\xE0/RT_NODI.shp"}));
}

TEST(BatchTest, StopBatchIgnoresPositionsOutOfRange) {
    StopBatch batch(2);
    EXPECT_EQ(batch.count(), 2);
    ASSERT_NE(batch.item(1), nullptr);
    EXPECT_EQ(batch.item(1)->x, 0.0);
    EXPECT_EQ(batch.item(1)->code, "");
    EXPECT_EQ(batch.item(2), nullptr);
    EXPECT_EQ(batch.item(-1), nullptr);
    batch.setCoordinates(2, 5, 5);
    batch.setCoordinates(-1, 5, 5);
    batch.setCoordinates(1, 3.5, -4.5);
    EXPECT_EQ(batch.item(1)->x, 3.5);
    EXPECT_EQ(batch.item(1)->y, -4.5);
    EXPECT_EQ(batch.item(0)->x, 0.0);
    batch.setTexts(0, "F1", "Piazza");
    batch.setTexts(5, "F5", "Fuori");
    EXPECT_EQ(batch.item(0)->code, "F1");
    EXPECT_EQ(batch.item(0)->name, "Piazza");

    for (const std::int32_t count : {0, -3}) {
        const StopBatch empty(count);
        EXPECT_EQ(empty.count(), count);
        EXPECT_EQ(empty.item(0), nullptr);
    }
}

// A batch refers into the input files it was given, holding them, and copies the rest (texts
// converted from UTF-8, anything of a file read as it goes), so that none of its views
// outlives what it points into.
TEST(BatchTest, KeepsViewsIntoItsInputsAndCopiesTheRest) {
    auto file = std::make_shared<std::vector<std::uint8_t>>(Bytes{'R', '1', 'L', 'i', 'n', 'e', 'a', 1, 2});
    HeldBytes held(file, *file);
    const std::string_view code(reinterpret_cast<const char*>(file->data()), 2);
    const std::string converted = "Linea";
    RouteBatch batch(2, {held});
    batch.setTexts(0, code, converted);
    batch.setPointBytes(0, std::span(*file).subspan(7));
    const std::vector<std::uint8_t> elsewhere = {3, 4};
    batch.setPointBytes(1, elsewhere);
    batch.setPointBytes(2, elsewhere);  // out of range: nothing changes

    EXPECT_EQ(batch.item(0)->code.data(), code.data());
    EXPECT_NE(batch.item(0)->description.data(), converted.data());
    EXPECT_EQ(batch.item(0)->description, "Linea");
    EXPECT_EQ(batch.item(0)->pointBytes.data(), file->data() + 7);
    EXPECT_NE(batch.item(1)->pointBytes.data(), elsewhere.data());
    EXPECT_EQ(Bytes(batch.item(1)->pointBytes.begin(), batch.item(1)->pointBytes.end()), elsewhere);

    // The file and its other holders gone, the batch's views still read its bytes.
    const std::uint8_t* before = file->data();
    held = {};
    file.reset();
    EXPECT_EQ(batch.item(0)->code, "R1");
    EXPECT_EQ(batch.item(0)->pointBytes.data(), before + 7);
    EXPECT_EQ(batch.item(0)->pointBytes[1], 2);
}

TEST(ArenaTest, StoredTextsStayPutAcrossBlocks) {
    Arena arena;
    std::vector<std::string> originals;
    std::vector<std::string_view> stored;
    for (int i = 0; i < 2000; ++i) {
        originals.push_back(std::string(static_cast<std::size_t>(i % 700), static_cast<char>('a' + i % 26)) +
                            std::to_string(i));
        stored.push_back(arena.store(originals.back()));
    }
    originals.push_back(std::string(300000, 'z'));  // larger than a block
    stored.push_back(arena.store(originals.back()));
    originals.push_back("");
    stored.push_back(arena.store(""));
    for (std::size_t i = 0; i < originals.size(); ++i) {
        EXPECT_EQ(stored[i], originals[i]) << i;
        EXPECT_TRUE(stored[i].empty() || stored[i].data() != originals[i].data());
    }
}

// A reset arena hands out its first blocks again, so that the next file is staged in memory
// already there; what it handed out before is poisoned under AddressSanitizer, so that a view
// that outlived the reset fails the sanitized tests instead of reading the next file's bytes.
TEST(ArenaTest, ResetHandsOutTheKeptBlocksAgainAndPoisonsWhatWasHandedOut) {
    Arena arena;
    const std::string_view first = arena.store("uno");
    arena.store(std::string(40000, 'x'));  // beyond the first block
    arena.reset(16 * 1024);
#ifdef TRAMELO_ADDRESS_SANITIZER
    EXPECT_TRUE(IsPoisoned(first.data()));
    EXPECT_DEATH(static_cast<void>(std::string(first)), "use-after-poison");
#endif
    const std::string_view again = arena.store("due");
    EXPECT_EQ(again.data(), first.data());  // the first block again, from its start
    EXPECT_EQ(again, "due");
    EXPECT_FALSE(IsPoisoned(again.data()));
}

}  // namespace
}  // namespace tramelo::testing
