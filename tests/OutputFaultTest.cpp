// Every output operation of a whole Finish fails in turn, in memory and on disk: the user
// is told which file could not be created or written, Finish reports the failure, no
// temporary file is left, and each earlier output is either intact or replaced by a
// complete new file.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "shapefile/DiskFileSystem.h"
#include "tests/support/FaultyFileSystem.h"
#include "tests/support/RecordingPlatform.h"
#include "tests/support/ShapefileBuilder.h"
#include "tests/support/TestPaths.h"
#include "workspace/MergeWorkspace.h"

namespace tramelo::testing {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kOutputs = {"ReportFusione.txt", "RT_NODI.SHP", "RT_NODI.SHX", "RT_NODI.DBF",
                                           "RT_ITIN.SHP",       "RT_ITIN.SHX", "RT_ITIN.DBF"};

using Folder = std::map<std::string, Bytes>;  // file name to bytes

// An output folder in memory or on disk.
class Place {
public:
    virtual ~Place() = default;
    virtual FileSystem& files() = 0;
    virtual std::string folder() const = 0;
    virtual Folder contents() const = 0;
    virtual void put(const std::string& name, const Bytes& bytes) = 0;
    virtual void clear() = 0;
};

class MemoryPlace final : public Place {
public:
    FileSystem& files() override { return memory_; }
    std::string folder() const override { return "/out"; }
    Folder contents() const override {
        Folder folder;
        for (const auto& [path, bytes] : memory_.files) {
            folder[path.substr(5)] = bytes;
        }
        return folder;
    }
    void put(const std::string& name, const Bytes& bytes) override {
        memory_.files[JoinPath("/out", name)] = bytes;
    }
    void clear() override { memory_.files.clear(); }

private:
    MemoryFileSystem memory_;
};

class DiskPlace final : public Place {
public:
    FileSystem& files() override { return disk_; }
    std::string folder() const override { return temporary_.string(); }
    Folder contents() const override {
        Folder folder;
        for (const auto& entry : fs::directory_iterator(root_)) {
            std::ifstream in(entry.path(), std::ios::binary);
            folder[entry.path().filename().string()] = Bytes(std::istreambuf_iterator<char>(in), {});
        }
        return folder;
    }
    void put(const std::string& name, const Bytes& bytes) override {
        std::ofstream(root_ / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    void clear() override {
        for (const auto& entry : fs::directory_iterator(root_)) {
            fs::remove_all(entry.path());
        }
    }

private:
    TemporaryFolder temporary_{"faults"};
    const fs::path& root_ = temporary_.path();
    DiskFileSystem disk_;
};

class OutputFaultTest : public ::testing::TestWithParam<bool> {
protected:
    OutputFaultTest()
        : place(GetParam() ? std::unique_ptr<Place>(new DiskPlace) : std::make_unique<MemoryPlace>()),
          faulty(place->files()),
          platform(faulty),
          workspace(platform) {
        workspace.companyCode = 7;
        workspace.acquiredStops.append("in.shp");
        workspace.stopTable.add("F1", "Uno", 1, 1, workspace.issueLog, "in.shp");
        workspace.stopTable.add("F2", "Due", 2, 2, workspace.issueLog, "in.shp");
        workspace.routeTable.add("R1", "", PolylineGeometry(2, {{0, 0}, {1, 1}}), workspace.issueLog,
                                 "in.shp");
    }

    // An earlier merge's outputs, each holding its own name.
    void PutEarlierOutputs() {
        place->clear();
        for (const std::string& name : kOutputs) {
            place->put(name, Bytes(name.begin(), name.end()));
        }
    }

    std::unique_ptr<Place> place;
    FaultyFileSystem faulty;
    RecordingPlatform platform;
    MergeWorkspace workspace;
};

TEST_P(OutputFaultTest, EveryFailingStepLeavesWholeFilesOnly) {
    PutEarlierOutputs();
    ASSERT_TRUE(workspace.Finish(place->folder()));
    const Folder complete = place->contents();
    const std::vector<FaultyFileSystem::Step> steps = faulty.steps;
    ASSERT_GT(steps.size(), 30u);

    for (std::size_t k = 1; k <= steps.size(); ++k) {
        PutEarlierOutputs();
        platform.messages.clear();
        faulty.count = 0;
        faulty.failAt = static_cast<int>(k);
        EXPECT_FALSE(workspace.Finish(place->folder())) << "step " << k;

        // The message names the target that failed, as the user knows it.
        const FaultyFileSystem::Step& step = steps[k - 1];
        std::string target = step.path;
        if (target.ends_with(".partial")) {
            target.resize(target.size() - std::string(".partial").size());
        }
        const std::string expected =
            (step.operation == FaultyFileSystem::Operation::Create ? "Impossibile creare\n\n"
                                                                   : "Impossibile scrivere\n\n") +
            target;
        const std::vector<std::string> texts = platform.texts();
        EXPECT_NE(std::find(texts.begin(), texts.end(), expected), texts.end())
            << "step " << k << ": " << expected;
        for (const RecordedMessage& message : platform.messages) {
            if (message.text.starts_with("Impossibile")) {
                EXPECT_EQ(message.kind, MessageKind::Warning);
            }
        }

        const Folder after = place->contents();
        EXPECT_EQ(after.size(), kOutputs.size()) << "step " << k << ": a temporary file was left";
        for (const std::string& name : kOutputs) {
            ASSERT_TRUE(after.contains(name)) << "step " << k << " " << name;
            const Bytes& bytes = after.at(name);
            EXPECT_TRUE(bytes == Bytes(name.begin(), name.end()) || bytes == complete.at(name))
                << "step " << k << ": " << name << " is neither the earlier file nor the complete new one";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(InMemoryAndOnDisk, OutputFaultTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Disk" : "Memory"; });

// The real failures on disk; as root, permission bits on folders do not stop a write, so an
// unwritable folder is a path that runs through a regular file.
class DiskOutputTest : public ::testing::Test {
protected:
    DiskOutputTest() : workspace(platform) {
        workspace.companyCode = 7;
        workspace.stopTable.add("F1", "Uno", 1, 1, workspace.issueLog, "in.shp");
    }
    ~DiskOutputTest() override {
        std::error_code ignored;
        fs::permissions(root / "RT_NODI.SHX", fs::perms::owner_all, ignored);
    }

    TemporaryFolder temporary{"disk"};
    const fs::path& root = temporary.path();
    DiskFileSystem disk;
    RecordingPlatform platform{disk};
    MergeWorkspace workspace;
};

TEST_F(DiskOutputTest, MissingFolder) {
    const std::string folder = (root / "missing").string();
    EXPECT_FALSE(workspace.Finish(folder));
    EXPECT_EQ(platform.texts(),
              (std::vector<std::string>{"Impossibile creare\n\n" + folder + Native("/ReportFusione.txt"),
                                        "Impossibile creare\n\n" + folder + Native("/RT_NODI.SHP"),
                                        "Impossibile creare\n\n" + folder + Native("/RT_ITIN.SHP")}));
    EXPECT_FALSE(fs::exists(folder));
}

TEST_F(DiskOutputTest, FolderThatIsARegularFile) {
    std::ofstream(root / "file.txt") << "not a folder";
    const std::string folder = (root / "file.txt").string();
    EXPECT_FALSE(workspace.Finish(folder));
    EXPECT_EQ(platform.texts().size(), 3u);
    EXPECT_EQ(platform.texts()[0], "Impossibile creare\n\n" + folder + Native("/ReportFusione.txt"));
    EXPECT_EQ(fs::file_size(root / "file.txt"), 12u);
}

TEST_F(DiskOutputTest, ReadOnlyTargetIsKept) {
    std::ofstream(root / "RT_NODI.SHX") << "earlier";
    fs::permissions(root / "RT_NODI.SHX",
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_FALSE(workspace.Finish(root.string()));
    EXPECT_EQ(platform.texts(),
              (std::vector<std::string>{"Impossibile creare\n\n" + (root / "RT_NODI.SHX").string(),
                                        "Sono stati esportati 0 percorsi"}));
    std::ifstream in(root / "RT_NODI.SHX");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "earlier");
    EXPECT_FALSE(fs::exists(root / "RT_NODI.SHP"));  // the stops dataset is not half written
    EXPECT_TRUE(fs::exists(root / "RT_ITIN.SHP"));
    for (const auto& entry : fs::directory_iterator(root)) {
        EXPECT_FALSE(entry.path().string().ends_with(".partial")) << entry.path();
    }
}

}  // namespace
}  // namespace tramelo::testing
