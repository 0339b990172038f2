#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/AppendList.h"
#include "base/Arena.h"
#include "model/AcquiredFileList.h"
#include "model/IssueLog.h"
#include "model/RouteBatch.h"
#include "model/StopBatch.h"
#include "tests/support/Contents.h"

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

TEST(BatchTest, RouteBatchReplacesAndReleasesGeometries) {
    RouteBatch batch(2);
    EXPECT_FALSE(batch.item(0)->geometry);
    batch.setGeometry(0, 2, {{1, 2}, {3, 4}});
    ASSERT_TRUE(batch.item(0)->geometry);
    EXPECT_EQ(batch.item(0)->geometry->pointCount(), 2);
    EXPECT_EQ(batch.item(0)->geometry->maxY, 4.0);
    batch.setGeometry(0, 0, {});
    EXPECT_EQ(batch.item(0)->geometry->pointCount(), 0);
    batch.setGeometry(2, 1, {{9, 9}});  // released, nothing changed
    batch.setGeometry(-1, 1, {{9, 9}});
    EXPECT_FALSE(batch.item(1)->geometry);
    batch.setTexts(1, "R1", "Linea");
    batch.setTexts(2, "R2", "Fuori");
    EXPECT_EQ(batch.item(1)->code, "R1");
    EXPECT_EQ(batch.item(1)->description, "Linea");
    EXPECT_EQ(batch.item(2), nullptr);
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

}  // namespace
}  // namespace tramelo::testing
