// Outputs that cannot be written, in memory and on a real disk: the user is told which file
// could not be created or written, Finish reports the failure, no temporary file is left,
// and each set of outputs (the report and its table; each dataset with its companions) is
// either the earlier set, byte for byte, or the complete new one.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/OperatingSystem.h"
#include "shapefile/DiskFileSystem.h"
#include "tests/support/FaultyFileSystem.h"
#include "tests/support/Outputs.h"
#include "tests/support/RecordingPlatform.h"
#include "tests/support/ShapefileBuilder.h"
#include "tests/support/TestPaths.h"
#include "workspace/DatasetSchema.h"
#include "workspace/MergeWorkspace.h"
#include "workspace/OutputNames.h"

namespace tramelo::testing {
namespace {

namespace fs = std::filesystem;

using Folder = std::map<std::string, Bytes>;  // file name to bytes

// An output folder in memory or on disk, and the ways it can refuse a file.
class Place {
public:
    virtual ~Place() = default;
    virtual FileSystem& files() = 0;
    virtual std::string folder() const = 0;
    virtual Folder contents() const = 0;
    virtual void put(const std::string& name, const Bytes& bytes) = 0;
    // Puts an earlier output under name when there is none, and makes it read-only.
    virtual void makeReadOnly(const std::string& name) = 0;
    // A folder that does not exist, beside the place's own.
    virtual std::string missingFolder() = 0;

    void clear() {
        for (const auto& [name, bytes] : contents()) {
            remove(name);
        }
    }
    void putEarlierOutputs() {
        clear();
        for (const std::string& name : AllOutputNames()) {
            put(name, EarlierOutput(name));
        }
    }
    bool isEarlier(const std::string& name) const {
        const Folder now = contents();
        return now.contains(name) && now.at(name) == EarlierOutput(name);
    }
    std::string path(const std::string& name) const { return JoinPath(folder(), name); }

protected:
    virtual void remove(const std::string& name) = 0;
};

class MemoryPlace final : public Place {
public:
    FileSystem& files() override { return memory_; }
    std::string folder() const override { return Native("/out"); }
    Folder contents() const override {
        Folder folder;
        for (const auto& [path, bytes] : memory_.files) {
            folder[path.substr(5)] = bytes;
        }
        return folder;
    }
    void put(const std::string& name, const Bytes& bytes) override { memory_.files[path(name)] = bytes; }
    void makeReadOnly(const std::string& name) override {
        memory_.files.try_emplace(path(name), EarlierOutput(name));
        memory_.readOnly.insert(path(name));
    }
    std::string missingFolder() override {
        memory_.missingFolders.insert(Native("/nowhere"));
        return Native("/nowhere");
    }

private:
    void remove(const std::string& name) override { memory_.files.erase(path(name)); }

    MemoryFileSystem memory_;
};

// As root, permission bits on folders do not stop a write, so the disk's own refusals are
// a missing folder, a folder that is a regular file, and a target without write permission
// (which the output layer checks itself).
class DiskPlace final : public Place {
public:
    DiskPlace() { fs::create_directories(root_); }
    ~DiskPlace() override {
        for (const auto& entry : fs::directory_iterator(root_)) {
            std::error_code ignored;
            fs::permissions(entry.path(), fs::perms::owner_all, ignored);
        }
    }

    FileSystem& files() override { return disk_; }
    std::string folder() const override { return temporary_.string() + Native("/out"); }
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
    void makeReadOnly(const std::string& name) override {
        if (!fs::exists(root_ / name)) {
            put(name, EarlierOutput(name));
        }
        fs::permissions(root_ / name, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    }
    std::string missingFolder() override { return temporary_.string() + Native("/missing"); }

private:
    void remove(const std::string& name) override { fs::remove_all(root_ / name); }

    TemporaryFolder temporary_{"outputs"};
    fs::path root_ = temporary_.path() / "out";
    DiskFileSystem disk_;
};

std::string CannotCreate(const std::string& path) {
    return "Impossibile creare\n\n" + path;
}
std::string CannotWrite(const std::string& path) {
    return "Impossibile scrivere\n\n" + path;
}

class OutputFailureTest : public ::testing::TestWithParam<bool> {
protected:
    OutputFailureTest()
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
        workspace.stopsCrs.text = "PROJCS[]";
        workspace.routesCrs.text = "PROJCS[]";
    }

    // Each set is the earlier one or the complete new one, and nothing else is there.
    void ExpectWholeSets(const Folder& complete, const std::string& context) const {
        const Folder after = place->contents();
        EXPECT_EQ(after.size(), AllOutputNames().size()) << context << ": a temporary file was left";
        for (const auto& set : kOutputSets) {
            int earlier = 0;
            int fresh = 0;
            for (const std::string& name : set) {
                const auto found = after.find(name);
                ASSERT_NE(found, after.end()) << context << ": " << name << " is gone";
                earlier += found->second == EarlierOutput(name);
                fresh += found->second == complete.at(name);
            }
            EXPECT_TRUE(earlier == static_cast<int>(set.size()) || fresh == static_cast<int>(set.size()))
                << context << ": the set of " << set.front() << " is half replaced";
        }
    }

    // Runs Finish again from the start, with the earlier outputs in place and step k (from
    // 1; 0 for none) failing.
    bool FinishFailingAt(int k) {
        place->putEarlierOutputs();
        platform.messages.clear();
        faulty.steps.clear();
        faulty.count = 0;
        faulty.failAt = k;
        faulty.crashAt = 0;
        return workspace.Finish(place->folder());
    }

    // The first step of that operation on a file of target's, from 1; 0 when there is none.
    int StepOf(FaultyFileSystem::Operation operation, const std::string& target) const {
        for (std::size_t k = 0; k < faulty.steps.size(); ++k) {
            if (faulty.steps[k].operation == operation &&
                TargetOf(faulty.steps[k].path) == place->path(target)) {
                return static_cast<int>(k) + 1;
            }
        }
        return 0;
    }

    // The next run into the folder looks: what was left half done is finished or undone.
    void Recover() {
        RecordingPlatform next(place->files());
        MergeWorkspace run(next);
        EXPECT_EQ(run.ClaimOutputFolder(place->folder()), ClaimOutcome::Claimed);
        EXPECT_TRUE(next.messages.empty());
    }

    std::unique_ptr<Place> place;
    FaultyFileSystem faulty;
    RecordingPlatform platform;
    MergeWorkspace workspace;
};

TEST_P(OutputFailureTest, MissingFolderNamesEveryOutputThatCannotBeCreated) {
    const std::string folder = place->missingFolder();
    EXPECT_FALSE(workspace.Finish(folder));
    // Each dataset stops at its first file; the report and the two exports are each tried.
    EXPECT_EQ(platform.texts(), (std::vector<std::string>{CannotCreate(JoinPath(folder, "ReportFusione.txt")),
                                                          CannotCreate(JoinPath(folder, "RT_NODI.SHP")),
                                                          CannotCreate(JoinPath(folder, "RT_ITIN.SHP"))}));
    for (const RecordedMessage& message : platform.messages) {
        EXPECT_EQ(message.kind, MessageKind::Warning);
    }
    EXPECT_TRUE(place->contents().empty());
    EXPECT_FALSE(fs::exists(NativePath(folder)));
}

TEST_P(OutputFailureTest, ReadOnlyTargetCannotBeCreatedAndStaysIntact) {
    place->putEarlierOutputs();
    place->makeReadOnly("RT_NODI.DBF");
    EXPECT_FALSE(workspace.Finish(place->folder()));
    EXPECT_EQ(platform.texts(), (std::vector<std::string>{CannotCreate(place->path("RT_NODI.DBF")),
                                                          "Sono stati esportati 1 percorsi"}));
    // The stops dataset is not half replaced; the report and the routes are new.
    EXPECT_TRUE(place->isEarlier("RT_NODI.SHP"));
    EXPECT_TRUE(place->isEarlier("RT_NODI.SHX"));
    EXPECT_TRUE(place->isEarlier("RT_NODI.DBF"));
    EXPECT_TRUE(place->isEarlier("RT_NODI.CPG"));
    EXPECT_TRUE(place->isEarlier("RT_NODI.PRJ"));
    EXPECT_FALSE(place->isEarlier("ReportFusione.txt"));
    EXPECT_FALSE(place->isEarlier("RT_ITIN.SHP"));
    EXPECT_EQ(place->contents().size(), AllOutputNames().size());  // no temporary file is left
}

// The list a shell checks before letting a merge replace an earlier one's outputs.
TEST(OutputNamesTest, AreTheFilesAFinishWrites) {
    EXPECT_EQ(OutputNames(), AllOutputNames());
}

TEST_P(OutputFailureTest, ReportThatCannotBeCreatedDoesNotStopTheExports) {
    place->makeReadOnly("ReportFusione.txt");
    EXPECT_FALSE(workspace.Finish(place->folder()));
    EXPECT_EQ(platform.texts(), (std::vector<std::string>{CannotCreate(place->path("ReportFusione.txt")),
                                                          "Sono state esportate 2 fermate",
                                                          "Sono stati esportati 1 percorsi"}));
    EXPECT_EQ(place->contents().size(), 1u + 10u);
    EXPECT_TRUE(place->isEarlier("ReportFusione.txt"));
    EXPECT_FALSE(place->contents().contains("ReportFusione.csv"));  // the table goes with its report
}

TEST_P(OutputFailureTest, WriteFailureEndsFinishAndKeepsEarlierOutputs) {
    // The first write of the stops' .SHX in a run that succeeds.
    ASSERT_TRUE(FinishFailingAt(0));
    const int write = StepOf(FaultyFileSystem::Operation::Write, "RT_NODI.SHX");
    ASSERT_GT(write, 0);

    EXPECT_FALSE(FinishFailingAt(write));
    // The report was complete, and is put in place; the stops are as they were and the
    // routes not tried.
    EXPECT_EQ(platform.texts(), std::vector<std::string>{CannotWrite(place->path("RT_NODI.SHX"))});
    EXPECT_FALSE(place->isEarlier("ReportFusione.txt"));
    EXPECT_FALSE(place->isEarlier("ReportFusione.csv"));
    for (const std::string& name : AllOutputNames()) {
        if (!name.starts_with("ReportFusione")) {
            EXPECT_TRUE(place->isEarlier(name)) << name;
        }
    }
    EXPECT_EQ(place->contents().size(), AllOutputNames().size());
}

TEST_P(OutputFailureTest, AnEarlierPrjGoesWithItsDatasetOnly) {
    workspace.stopsCrs.mixed = true;  // neither dataset has one coordinate system to write
    workspace.routesCrs.mixed = true;
    ASSERT_TRUE(FinishFailingAt(0));
    EXPECT_FALSE(place->contents().contains("RT_NODI.PRJ"));
    EXPECT_FALSE(place->contents().contains("RT_ITIN.PRJ"));
    EXPECT_FALSE(FinishFailingAt(StepOf(FaultyFileSystem::Operation::Write, "RT_NODI.DBF")));
    for (const char* name : {"RT_NODI.SHP", "RT_NODI.SHX", "RT_NODI.DBF", "RT_NODI.CPG", "RT_NODI.PRJ"}) {
        EXPECT_TRUE(place->isEarlier(name)) << name;
    }
}

// Every output operation of a whole Finish fails in turn: the user is told which file, and
// once the next run into the folder has looked, each set is the earlier one or the complete
// new one, and nothing else is there.
TEST_P(OutputFailureTest, EveryFailingStepLeavesWholeSets) {
    ASSERT_TRUE(FinishFailingAt(0));
    const Folder complete = place->contents();
    const std::vector<FaultyFileSystem::Step> steps = faulty.steps;
    ASSERT_GT(steps.size(), 30u);

    for (std::size_t k = 1; k <= steps.size(); ++k) {
        const FaultyFileSystem::Step& step = steps[k - 1];
        if (step.operation == FaultyFileSystem::Operation::Remove) {
            continue;  // removals cannot fail
        }
        EXPECT_FALSE(FinishFailingAt(static_cast<int>(k))) << "step " << k;
        // The message names the target that failed, as the user knows it; where the commit
        // itself failed (its journal, or a sync of the folder), the journal or the folder.
        const std::string target = TargetOf(step.path);
        const std::string journal = place->path("tramelo-commit.journal");
        const std::vector<std::string> texts = platform.texts();
        const auto names = [&](const std::string& path) {
            const std::string expected = step.operation == FaultyFileSystem::Operation::Create
                                             ? CannotCreate(path)
                                             : CannotWrite(path);
            return std::find(texts.begin(), texts.end(), expected) != texts.end();
        };
        const bool commit = target == journal || step.operation == FaultyFileSystem::Operation::Sync;
        EXPECT_TRUE(names(target) ||
                    (commit && std::find(texts.begin(), texts.end(), CannotWrite(journal)) != texts.end()))
            << "step " << k << ": " << target << "; " << ::testing::PrintToString(texts);
        for (const RecordedMessage& message : platform.messages) {
            if (message.text.starts_with("Impossibile")) {
                EXPECT_EQ(message.kind, MessageKind::Warning);
            }
        }
        Recover();
        ExpectWholeSets(complete, "step " + std::to_string(k));
    }
}

// The process killed before any step of a whole Finish: once the next run into the folder
// has looked, the folder holds the whole earlier output or the whole new one, and nothing
// else.
TEST_P(OutputFailureTest, AKillAtAnyStepLeavesTheEarlierOrTheNewOutput) {
    ASSERT_TRUE(FinishFailingAt(0));
    const Folder complete = place->contents();
    const std::size_t steps = faulty.steps.size();
    place->putEarlierOutputs();
    const Folder earlier = place->contents();
    bool sawEarlier = false;
    bool sawNew = false;
    for (std::size_t k = 1; k <= steps; ++k) {
        place->putEarlierOutputs();
        faulty.count = 0;
        faulty.crashed = false;
        faulty.crashAt = static_cast<int>(k);
        EXPECT_THROW(workspace.Finish(place->folder()), Crash) << "step " << k;
        faulty.crashAt = 0;
        faulty.crashed = false;
        Recover();
        const Folder after = place->contents();
        EXPECT_TRUE(after == earlier || after == complete) << "step " << k << " of " << steps;
        sawEarlier = sawEarlier || after == earlier;
        sawNew = sawNew || after == complete;
    }
    EXPECT_TRUE(sawEarlier && sawNew);  // killed before the commit point and after it
}

INSTANTIATE_TEST_SUITE_P(InMemoryAndOnDisk, OutputFailureTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Disk" : "Memory"; });

}  // namespace
}  // namespace tramelo::testing
