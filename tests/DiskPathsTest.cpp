// Files on a real disk as users have them: folder names that are not ASCII, held as UTF-8
// by the core, which Windows must turn into its own wide names rather than read in its ANSI
// code page; an earlier merge's outputs to replace; files larger than the window the disk is
// read through; an output folder that is a file, and a folder where an output should go.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "base/CodePage.h"
#include "shapefile/DiskFileSystem.h"
#include "tests/support/RecordingPlatform.h"
#include "tests/support/ShapefileBuilder.h"
#include "tests/support/TestPaths.h"
#include "workspace/MergeWorkspace.h"

namespace tramelo::testing {
namespace {

namespace fs = std::filesystem;

std::string Utf8(std::u8string_view text) {
    return std::string(text.begin(), text.end());
}

TEST(DiskPathsTest, FoldersWithAccentsAreReadAndWrittenUnderTheirOwnNames) {
    const TemporaryFolder temporary("paths");
    const fs::path input = temporary.path() / u8"citt\u00E0 vecchia";
    const fs::path output = temporary.path() / u8"unione \u00E8";
    fs::create_directories(input);
    fs::create_directories(output);
    std::ofstream(output / "RT_NODI.SHP", std::ios::binary) << "an earlier merge";

    DiskFileSystem disk;
    RecordingPlatform platform(disk);
    MergeWorkspace workspace(platform);
    const std::string inputPath = temporary.string() + Native(Utf8(u8"/citt\u00E0 vecchia/RT_NODI.SHP"));
    StopsShapefile({{"F1", "Uno", 1, 1}, {"F2", "Due", 2, 2}}).install(disk, inputPath);
    ASSERT_TRUE(fs::exists(input / "RT_NODI.SHP"));
    ASSERT_TRUE(fs::exists(input / "RT_NODI.SHX"));

    ASSERT_EQ(workspace.AddStopsFile(inputPath), AddOutcome::Acquired)
        << ::testing::PrintToString(platform.texts());
    EXPECT_TRUE(workspace.Finish(temporary.string() + Native(Utf8(u8"/unione \u00E8"))));

    // Nothing went to a folder of a wrongly decoded name.
    EXPECT_EQ(std::distance(fs::directory_iterator(temporary.path()), fs::directory_iterator()), 2);
    EXPECT_EQ(fs::file_size(output / "RT_NODI.SHP"), 100u + 2 * 28u);  // replaced by the new one
    EXPECT_TRUE(fs::exists(output / "RT_ITIN.DBF"));
    // The seven outputs, the report's table and its types, each dataset's .CPG, and the
    // stops' .PRJ (no routes were read to tell theirs).
    EXPECT_EQ(std::distance(fs::directory_iterator(output), fs::directory_iterator()), 12);
    // The report lists the path as given, in code page 1252 like the rest of it.
    const std::string reported = Utf8ToCp1252Lossy(inputPath);
    EXPECT_NE(reported.find("citt\xE0 vecchia"), std::string::npos);
    EXPECT_NE(ReadFile(output / "ReportFusione.txt").find("RT_NODI:\r\n" + reported + "\r\n"), std::string::npos);
}

// Read through the disk's window, a record's bytes are gone once the window moves on; held
// in memory whole, they stay until the merge. Either way the merged texts and points are
// the file's, converted from UTF-8 in a second reading of the records.
TEST(DiskPathsTest, FilesLargerThanTheReadWindowMergeWhatTheyHold) {
    std::vector<Stop> stops;
    for (int i = 0; i < 10000; ++i) {
        // In UTF-8, declared by nothing: the records are read twice.
        stops.push_back(
            {"F" + std::to_string(i), "Fermata \xC3\xA0 " + std::to_string(i), i + 0.25, 2.0 * i});
    }
    std::vector<Route> routes;
    for (int i = 0; i < 300; ++i) {
        std::vector<Point> points;
        for (int j = 0; j < 100; ++j) {
            points.push_back({i + 0.5, j + 0.125});
        }
        routes.push_back({"R" + std::to_string(i), "Linea " + std::to_string(i), points});
    }
    const TemporaryFolder temporary("window");
    DiskFileSystem disk;
    RecordingPlatform onDisk(disk);
    RecordingPlatform inMemory;
    MergeWorkspace fromDisk(onDisk);
    MergeWorkspace fromMemory(inMemory);
    for (const auto& [platform, workspace, folder] :
         {std::tuple(&onDisk, &fromDisk, temporary.string()), std::tuple(&inMemory, &fromMemory, std::string("/in"))}) {
        StopsShapefile(stops).install(platform->files(), folder + Native("/RT_NODI.SHP"));
        RoutesShapefile(routes).install(platform->files(), folder + Native("/RT_ITIN.SHP"));
        ASSERT_EQ(workspace->AddStopsFile(folder + Native("/RT_NODI.SHP")), AddOutcome::Acquired);
        ASSERT_EQ(workspace->AddRoutesFile(folder + Native("/RT_ITIN.SHP")), AddOutcome::Acquired);
    }

    EXPECT_EQ(fromDisk.stopTable.tail()->code, "F9999");
    EXPECT_EQ(fromDisk.stopTable.tail()->name.substr(0, 14), "Fermata \xE0 9999");
    ASSERT_EQ(std::distance(fromDisk.stopTable.begin(), fromDisk.stopTable.end()),
              std::distance(fromMemory.stopTable.begin(), fromMemory.stopTable.end()));
    ASSERT_EQ(std::distance(fromDisk.routeTable.begin(), fromDisk.routeTable.end()),
              std::distance(fromMemory.routeTable.begin(), fromMemory.routeTable.end()));
    int differing = 0;  // records that are not the same read from disk and from memory
    auto memoryStop = fromMemory.stopTable.begin();
    for (const StopRecord& stop : fromDisk.stopTable) {
        differing += stop.equals(*memoryStop++) ? 0 : 1;
    }
    EXPECT_EQ(differing, 0);
    differing = 0;
    EXPECT_EQ(fromDisk.routeTable.tail()->description.substr(0, 9), "Linea 299");
    auto memoryRoute = fromMemory.routeTable.begin();
    for (const RouteRecord& route : fromDisk.routeTable) {
        differing += route.equals(*memoryRoute++) ? 0 : 1;
    }
    EXPECT_EQ(differing, 0);
}

std::string CannotCreate(const std::string& path) {
    return "Impossibile creare\n\n" + path;
}

TEST(DiskOutputTest, FolderThatIsARegularFile) {
    const TemporaryFolder temporary("file");
    std::ofstream(temporary.path() / "file.txt") << "not a folder";
    DiskFileSystem disk;
    RecordingPlatform platform(disk);
    MergeWorkspace workspace(platform);
    workspace.stopTable.add("F1", "Uno", 1, 1, workspace.issueLog, "in.shp");
    const std::string folder = temporary.string() + Native("/file.txt");
    EXPECT_FALSE(workspace.Finish(folder));
    EXPECT_EQ(platform.texts(), (std::vector<std::string>{CannotCreate(JoinPath(folder, "ReportFusione.txt")),
                                                          CannotCreate(JoinPath(folder, "RT_NODI.SHP")),
                                                          CannotCreate(JoinPath(folder, "RT_ITIN.SHP"))}));
    EXPECT_EQ(fs::file_size(temporary.path() / "file.txt"), 12u);
}

// A folder where an output should go cannot be replaced: its dataset is not written, and
// none of that dataset's earlier files is touched.
TEST(DiskOutputTest, FolderInPlaceOfAnOutput) {
    const TemporaryFolder temporary("folder");
    const fs::path& root = temporary.path();
    for (const char* name : {"RT_NODI.SHP", "RT_NODI.DBF"}) {
        std::ofstream(root / name) << name;
    }
    fs::create_directories(root / "RT_NODI.SHX" / "inside");
    DiskFileSystem disk;
    RecordingPlatform platform(disk);
    MergeWorkspace workspace(platform);
    workspace.stopTable.add("F1", "Uno", 1, 1, workspace.issueLog, "in.shp");
    EXPECT_FALSE(workspace.Finish(temporary.string()));
    EXPECT_EQ(platform.texts(),
              (std::vector<std::string>{CannotCreate(temporary.string() + Native("/RT_NODI.SHX")),
                                        "Sono stati esportati 0 percorsi"}));
    EXPECT_TRUE(fs::is_directory(root / "RT_NODI.SHX" / "inside"));
    EXPECT_EQ(fs::file_size(root / "RT_NODI.SHP"), 11u);
    EXPECT_EQ(fs::file_size(root / "RT_NODI.DBF"), 11u);
    EXPECT_FALSE(fs::exists(root / "RT_NODI.CPG"));
}

}  // namespace
}  // namespace tramelo::testing
