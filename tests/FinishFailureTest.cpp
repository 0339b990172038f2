#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "export/DatasetWriter.h"
#include "tests/support/FaultyFileSystem.h"
#include "tests/support/RecordingPlatform.h"
#include "tests/support/ShapefileBuilder.h"
#include "tests/support/TestPaths.h"
#include "workspace/MergeWorkspace.h"

namespace tramelo::testing {
namespace {

const std::vector<std::string> kOutputs = {"ReportFusione.txt", "RT_NODI.SHP", "RT_NODI.SHX", "RT_NODI.DBF",
                                           "RT_ITIN.SHP",       "RT_ITIN.SHX", "RT_ITIN.DBF"};

std::string CannotCreate(const std::string& path) {
    return "Impossibile creare\n\n" + path;
}
std::string CannotWrite(const std::string& path) {
    return "Impossibile scrivere\n\n" + path;
}

class FinishFailureTest : public ::testing::Test {
protected:
    FinishFailureTest() : faulty(memory), platform(faulty), workspace(platform) {
        workspace.companyCode = 7;
        workspace.stopTable.add("F1", "Uno", 1, 1, workspace.issueLog, "in.shp");
        workspace.routeTable.add("R1", "", PolylineGeometry(1, {{0, 0}}), workspace.issueLog, "in.shp");
    }

    // An earlier merge's outputs in the folder, each with recognisable bytes.
    void PutEarlierOutputs() {
        for (const std::string& name : kOutputs) {
            memory.files[JoinPath(Native("/out"), name)] = Bytes(name.begin(), name.end());
        }
    }
    bool IsEarlier(const std::string& name) const {
        return memory.bytes(JoinPath(Native("/out"), name)) == Bytes(name.begin(), name.end());
    }
    std::vector<std::string> FilesInOut() const {
        std::vector<std::string> names;
        for (const auto& [path, bytes] : memory.files) {
            names.push_back(path);
        }
        return names;
    }

    MemoryFileSystem memory;
    FaultyFileSystem faulty;
    RecordingPlatform platform;
    MergeWorkspace workspace;
};

TEST_F(FinishFailureTest, MissingFolderNamesEveryOutputThatCannotBeCreated) {
    memory.missingFolders.insert(Native("/nowhere"));
    EXPECT_FALSE(workspace.Finish(Native("/nowhere")));
    EXPECT_EQ(platform.texts(), (std::vector<std::string>{CannotCreate(Native("/nowhere/ReportFusione.txt")),
                                                          CannotCreate(Native("/nowhere/RT_NODI.SHP")),
                                                          CannotCreate(Native("/nowhere/RT_ITIN.SHP"))}));
    for (const RecordedMessage& message : platform.messages) {
        EXPECT_EQ(message.kind, MessageKind::Warning);
    }
    EXPECT_TRUE(memory.files.empty());
}

TEST_F(FinishFailureTest, ReadOnlyTargetCannotBeCreatedAndStaysIntact) {
    PutEarlierOutputs();
    memory.readOnly.insert(Native("/out/RT_NODI.DBF"));
    EXPECT_FALSE(workspace.Finish(Native("/out")));
    EXPECT_EQ(platform.texts(), (std::vector<std::string>{CannotCreate(Native("/out/RT_NODI.DBF")),
                                                          "Sono stati esportati 1 percorsi"}));
    // The stops dataset is not half replaced; the report and the routes are new.
    EXPECT_TRUE(IsEarlier("RT_NODI.SHP"));
    EXPECT_TRUE(IsEarlier("RT_NODI.SHX"));
    EXPECT_TRUE(IsEarlier("RT_NODI.DBF"));
    EXPECT_FALSE(IsEarlier("ReportFusione.txt"));
    EXPECT_FALSE(IsEarlier("RT_ITIN.SHP"));
    EXPECT_EQ(memory.files.size(), kOutputs.size());  // no temporary file is left
}

TEST_F(FinishFailureTest, ReportThatCannotBeCreatedDoesNotStopTheExports) {
    memory.readOnly.insert(Native("/out/ReportFusione.txt"));
    EXPECT_FALSE(workspace.Finish(Native("/out")));
    EXPECT_EQ(platform.texts(), (std::vector<std::string>{CannotCreate(Native("/out/ReportFusione.txt")),
                                                          "Sono state esportate 1 fermate",
                                                          "Sono stati esportati 1 percorsi"}));
    EXPECT_EQ(memory.files.size(), 6u);
}

TEST_F(FinishFailureTest, WriteFailureEndsFinishAndKeepsEarlierOutputs) {
    // Find the first write of the stops' .SHX in a run that succeeds.
    ASSERT_TRUE(workspace.Finish(Native("/out")));
    const auto write = std::find_if(faulty.steps.begin(), faulty.steps.end(), [](const auto& step) {
        return step.operation == FaultyFileSystem::Operation::Write &&
               step.path == Native("/out/RT_NODI.SHX.partial");
    });
    ASSERT_NE(write, faulty.steps.end());
    const int firstWrite = static_cast<int>(write - faulty.steps.begin()) + 1;

    memory.files.clear();
    PutEarlierOutputs();
    platform.messages.clear();
    faulty.count = 0;
    faulty.failAt = firstWrite;
    EXPECT_FALSE(workspace.Finish(Native("/out")));
    // The report was already complete; the stops are as they were and the routes not tried.
    EXPECT_EQ(platform.texts(), std::vector<std::string>{CannotWrite(Native("/out/RT_NODI.SHX"))});
    EXPECT_FALSE(IsEarlier("ReportFusione.txt"));
    for (const char* name :
         {"RT_NODI.SHP", "RT_NODI.SHX", "RT_NODI.DBF", "RT_ITIN.SHP", "RT_ITIN.SHX", "RT_ITIN.DBF"}) {
        EXPECT_TRUE(IsEarlier(name)) << name;
    }
    EXPECT_EQ(memory.files.size(), kOutputs.size());
}

TEST(DatasetWriterTest, RefusesAShpPastThirtyTwoBitOffsets) {
    MemoryFileSystem memory;
    static constexpr DatasetLayout kLayout{"RT_NODI", 1, "COD_FERM", 10, "DENOM", 40, "", ""};
    DatasetWriter writer(memory, Native("/out"), kLayout, 7, 50 + 2 * 14);
    writer.start();
    const auto point = [](std::uint8_t*) {};
    writer.writeFeature("A", "", {}, 20, point);
    writer.writeFeature("B", "", {}, 20, point);
    try {
        writer.writeFeature("C", "", {}, 20, point);
        ADD_FAILURE() << "a third record would pass the limit";
    } catch (const FileError& error) {
        EXPECT_EQ(error.path(), JoinPath(Native("/out"), "RT_NODI.SHP"));
    }
}

}  // namespace
}  // namespace tramelo::testing
