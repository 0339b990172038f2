#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/FaultyFileSystem.h"
#include "tests/support/Outputs.h"
#include "tests/support/RecordingPlatform.h"
#include "tests/support/ShapefileBuilder.h"
#include "workspace/MergeWorkspace.h"

namespace tramelo::testing {
namespace {

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

TEST(FinishTest, WritesTheReportThenTheStopsThenTheRoutes) {
    MemoryFileSystem memory;
    FaultyFileSystem recorder(memory);  // fails nothing: it records every output operation
    RecordingPlatform platform(recorder);
    MergeWorkspace workspace(platform);
    StopsShapefile({{"F1", "Uno", 1, 1}}).install(memory, "/in/RT_NODI.shp");
    ASSERT_EQ(workspace.AddStopsFile("/in/RT_NODI.shp"), AddOutcome::Acquired);
    ASSERT_TRUE(workspace.HasMergedData());
    EXPECT_TRUE(workspace.Finish("/out"));
    // The empty routes table is written all the same.
    EXPECT_EQ(platform.texts(), (std::vector<std::string>{"Sono state esportate 1 fermate",
                                                          "Sono stati esportati 0 percorsi"}));
    std::vector<std::string> placed;
    for (const FaultyFileSystem::Step& step : recorder.steps) {
        if (step.operation == FaultyFileSystem::Operation::Replace) {
            placed.push_back(step.path);
        }
    }
    // The journal that commits them comes first.
    std::vector<std::string> expected = {JoinPath("/out", "tramelo-commit.journal")};
    // No routes were read, so nothing tells their coordinate system: no RT_ITIN.PRJ.
    for (const std::string& name : AllOutputNames()) {
        if (name != "RT_ITIN.PRJ") {
            expected.push_back(JoinPath("/out", name));
        }
    }
    EXPECT_EQ(placed, expected);
    EXPECT_EQ(memory.files.size(), 4u + expected.size() - 1);  // inputs and outputs, no leftovers
}

}  // namespace
}  // namespace tramelo::testing
