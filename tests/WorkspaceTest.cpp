#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/RecordingPlatform.h"
#include "tests/support/ShapefileBuilder.h"
#include "workspace/MergeWorkspace.h"

namespace tramelo {
namespace {

using testing::RecordingPlatform;
using testing::Stop;
using testing::StopsShapefile;

TEST(FolderOfTest, CutsAtTheLastSeparatorOfThePlatform) {
    const std::string s(1, kPathSeparator);
    struct Case {
        std::string path;
        std::string folder;
    };
    const Case cases[] = {
        {s + "dati" + s + "RT_NODI.SHP", s + "dati"},
        {s + "a" + s + "b" + s + "c" + s + "RT_NODI.SHP", s + "a" + s + "b" + s + "c"},
        {s + "RT_NODI.SHP", ""},  // a file at the root: the join puts the separator back
        {"D:" + s + "RT_NODI.SHP", "D:"},
        {"RT_NODI.SHP", "RT_NODI.SHP"},  // no separator: the text whole
        {"", ""},
        {s + "dati" + s, s + "dati"},
        {s + "dati" + s + s + "x", s + "dati" + s},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MergeWorkspace::FolderOf(c.path), c.folder) << c.path;
    }
    // Only the platform's own separator counts.
    const char other = kPathSeparator == '/' ? '\\' : '/';
    const std::string foreign = std::string("dati") + other + "RT_NODI.SHP";
    EXPECT_EQ(MergeWorkspace::FolderOf(foreign), foreign);
}

class WorkspaceTest : public ::testing::Test {
protected:
    WorkspaceTest() : workspace(platform) {}

    RecordingPlatform platform;
    MergeWorkspace workspace;
};

TEST_F(WorkspaceTest, StartsEmptyWithUnknownCompany) {
    EXPECT_EQ(workspace.companyCode, -1);
    EXPECT_TRUE(workspace.stopTable.isEmpty());
    EXPECT_TRUE(workspace.routeTable.isEmpty());
    EXPECT_TRUE(workspace.acquiredStops.isEmpty());
    EXPECT_TRUE(workspace.acquiredRoutes.isEmpty());
    EXPECT_FALSE(workspace.HasMergedData());
}

TEST_F(WorkspaceTest, SamePathTwiceIsRefusedWithoutReading) {
    StopsShapefile({{"F1", "Uno", 1, 1}}).install(platform.memory, "/in/RT_NODI.shp");
    EXPECT_EQ(workspace.AddStopsFile("/in/RT_NODI.shp"), AddOutcome::Acquired);
    // Even with the files gone, the second pick is refused before anything is opened.
    platform.memory.files.clear();
    EXPECT_EQ(workspace.AddStopsFile("/in/RT_NODI.shp"), AddOutcome::AlreadyAcquired);
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(workspace.acquiredStops.head(), workspace.acquiredStops.tail());

    const Message warning = MergeWorkspace::AlreadyAcquiredMessage("/in/RT_NODI.shp");
    EXPECT_EQ(warning.kind(), MessageKind::Warning);
    EXPECT_EQ(warning.bytes(),
              "Attenzione: lo shapefile indicato\n\n/in/RT_NODI.shp\n\nrisulta gi\xE0 acquisito");
}

TEST_F(WorkspaceTest, OtherSpellingOfAPathIsImportedAgain) {
    StopsShapefile({{"F1", "Uno", 1, 1}}).install(platform.memory, "/in/RT_NODI.shp");
    StopsShapefile({{"F1", "Uno", 1, 1}}).install(platform.memory, "/in/./RT_NODI.shp");
    EXPECT_EQ(workspace.AddStopsFile("/in/RT_NODI.shp"), AddOutcome::Acquired);
    EXPECT_EQ(workspace.AddStopsFile("/in/./RT_NODI.shp"), AddOutcome::Acquired);
    EXPECT_EQ(workspace.acquiredStops.tail()->path, "/in/./RT_NODI.shp");
    EXPECT_EQ(workspace.stopTable.head(), workspace.stopTable.tail());  // the twin vanished
    EXPECT_TRUE(workspace.issueLog.stopIssues.isEmpty());
}

TEST_F(WorkspaceTest, KindsKeepSeparateLists) {
    StopsShapefile({{"F1", "Uno", 1, 1}}).install(platform.memory, "/in/RT_NODI.shp");
    EXPECT_EQ(workspace.AddStopsFile("/in/RT_NODI.shp"), AddOutcome::Acquired);
    // Acquired as stops, the path is still new for routes: the routes import runs and
    // refuses a point file by its own checks.
    EXPECT_EQ(workspace.AddRoutesFile("/in/RT_NODI.shp"), AddOutcome::Rejected);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].kind, MessageKind::Error);
    EXPECT_TRUE(workspace.acquiredRoutes.isEmpty());
}

TEST_F(WorkspaceTest, FailedImportCanBeRetried) {
    EXPECT_EQ(workspace.AddStopsFile("/in/RT_NODI.shp"), AddOutcome::Rejected);
    EXPECT_TRUE(workspace.acquiredStops.isEmpty());
    StopsShapefile({{"F1", "Uno", 1, 1}}).install(platform.memory, "/in/RT_NODI.shp");
    EXPECT_EQ(workspace.AddStopsFile("/in/RT_NODI.shp"), AddOutcome::Acquired);
}

TEST_F(WorkspaceTest, FileWithoutFeaturesIsAcquiredButMergesNothing) {
    StopsShapefile({}).install(platform.memory, "/in/RT_NODI.shp");
    EXPECT_EQ(workspace.AddStopsFile("/in/RT_NODI.shp"), AddOutcome::Acquired);
    EXPECT_FALSE(workspace.acquiredStops.isEmpty());
    EXPECT_FALSE(workspace.HasMergedData());
    EXPECT_EQ(workspace.companyCode, -1);
}

TEST_F(WorkspaceTest, FinishWritesReportThenStopsThenRoutes) {
    StopsShapefile({{"F1", "Uno", 1, 1}}).install(platform.memory, "/in/RT_NODI.shp");
    ASSERT_EQ(workspace.AddStopsFile("/in/RT_NODI.shp"), AddOutcome::Acquired);
    ASSERT_TRUE(workspace.HasMergedData());
    EXPECT_TRUE(workspace.Finish("/out"));
    EXPECT_EQ(platform.texts(), (std::vector<std::string>{"Sono state esportate 1 fermate",
                                                          "Sono stati esportati 0 percorsi"}));
    for (const char* name : {"ReportFusione.txt", "RT_NODI.SHP", "RT_NODI.SHX", "RT_NODI.DBF", "RT_ITIN.SHP",
                             "RT_ITIN.SHX", "RT_ITIN.DBF"}) {
        EXPECT_TRUE(platform.memory.exists(JoinPath("/out", name))) << name;
    }
    EXPECT_EQ(platform.memory.files.size(), 3u + 7u);  // inputs and outputs, no leftovers
}

}  // namespace
}  // namespace tramelo
