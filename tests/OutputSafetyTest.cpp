// What a run does to its output folder whatever happens around it: another run writing
// there, an output that would replace an input, an interrupt, the memory running out, a full
// disk. Each leaves the earlier output whole, or puts the complete new one in place, and
// nothing else.

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "cli/BatchMerge.h"
#include "platform/OperatingSystem.h"
#include "shapefile/DiskFileSystem.h"
#include "shapefile/FileSystemWrapper.h"
#include "tests/AllocationSeam.h"
#include "tests/support/MemoryFileSystem.h"
#include "tests/support/Outputs.h"
#include "tests/support/RecordingPlatform.h"
#include "tests/support/ShapefileBuilder.h"
#include "tests/support/TestPaths.h"
#include "workspace/MergeWorkspace.h"

namespace tramelo::testing {
namespace {

namespace fs = std::filesystem;
using Folder = std::map<std::string, Bytes>;

// A folder on disk with two inputs in folders of their own and an earlier merge's outputs.
class OutputSafetyTest : public ::testing::Test {
protected:
    OutputSafetyTest() {
        fs::create_directories(out);
        for (const char* name : {"a", "b"}) {
            fs::create_directories(temporary.path() / name);
        }
        StopsShapefile({{"F1", "Uno", 1, 1}, {"F2", "Due", 2, 2}}).install(disk, stops);
        RoutesShapefile({{"R1", "Linea", {{0, 0}, {1, 1}}}}).install(disk, routes);
        for (const std::string& name : AllOutputNames()) {
            std::ofstream(out / name, std::ios::binary) << name;
        }
        earlier = Contents(out);
    }
    ~OutputSafetyTest() override { SetInterruptSignal(0); }

    static Folder Contents(const fs::path& folder) {
        Folder contents;
        for (const auto& entry : fs::directory_iterator(folder)) {
            if (entry.path().filename() == kFolderLockName) {
                continue;  // Windows' lock of a run that holds the folder; gone with the run
            }
            std::ifstream in(entry.path(), std::ios::binary);
            contents[entry.path().filename().string()] = Bytes(std::istreambuf_iterator<char>(in), {});
        }
        return contents;
    }

    int Run(FileSystem& files, std::vector<std::string> args) {
        std::ostringstream out;
        errors.str("");
        return RunBatchMerge(args, files, out, errors);
    }
    std::vector<std::string> Both(const std::string& folder) const {
        return {"-s", stops, "-r", routes, "-o", folder};
    }

    TemporaryFolder temporary{"safety"};
    const fs::path out = temporary.path() / "out";
    const std::string outPath = temporary.string() + Native("/out");
    const std::string stops = temporary.string() + Native("/a/RT_NODI.SHP");
    const std::string routes = temporary.string() + Native("/b/RT_ITIN.SHP");
    DiskFileSystem disk;
    Folder earlier;
    std::ostringstream errors;
};

// While a run holds the folder, another one touches nothing there and says so; the lock
// leaves nothing behind once let go.
TEST_F(OutputSafetyTest, ASecondRunIntoAFolderInUseTouchesNothing) {
    {
        RecordingPlatform first(disk);
        MergeWorkspace holder(first);
        ASSERT_EQ(holder.ClaimOutputFolder(outPath), ClaimOutcome::Claimed);
        EXPECT_EQ(Run(disk, Both(outPath)), kExitFailure);
        EXPECT_EQ(errors.str(),
                  "errore: la cartella " + outPath + " \xC3\xA8 in uso da un'altra unificazione\n");
        EXPECT_EQ(Contents(out), earlier);

        // The desktop program: Finish says the same and writes nothing.
        RecordingPlatform second(disk);
        MergeWorkspace other(second);
        other.stopTable.add("F1", "Uno", 1, 1, other.issueLog, "in.shp");
        EXPECT_FALSE(other.Finish(outPath));
        ASSERT_EQ(second.messages.size(), 1u);
        EXPECT_EQ(second.messages[0].kind, MessageKind::Error);
        EXPECT_EQ(Contents(out), earlier);
    }
    EXPECT_EQ(Run(disk, Both(outPath)), kExitSuccess);
    EXPECT_EQ(Contents(out).size(), AllOutputNames().size());  // no lock file, no temporary
}

// Whatever path reaches it, an input is never written over; nor is an input that was refused.
TEST_F(OutputSafetyTest, AnOutputThatIsAnInputIsRefused) {
    const std::string a = temporary.string() + Native("/a");
    std::error_code noLinks;
    fs::create_directory_symlink(temporary.path() / "a", temporary.path() / "link", noLinks);
    std::vector<std::vector<std::string>> runs = {
        {"-s", stops, "-o", a},
        {"-s", stops, "-o", a + Native("/../a/.")},
        {"-r", routes, "-s", temporary.string() + Native("/a/../a/RT_NODI.SHP"), "-o", a},
    };
    if (!noLinks) {
        runs.push_back({"-s", stops, "-o", temporary.string() + Native("/link")});
    }
    const Folder inputs = Contents(temporary.path() / "a");
    for (const std::vector<std::string>& args : runs) {
        EXPECT_EQ(Run(disk, args), kExitFailure) << ::testing::PrintToString(args);
        EXPECT_NE(errors.str().find("errore: il risultato "), std::string::npos) << errors.str();
        EXPECT_NE(errors.str().find(" sostituirebbe il file di ingresso "), std::string::npos);
        EXPECT_EQ(Contents(temporary.path() / "a"), inputs);
    }
    // A refused input: another company's, in the output folder.
    StopsShapefile({{"G1", "Altra", 1, 1, 9}}).install(disk, outPath + Native("/RT_NODI.SHP"));
    const Folder before = Contents(out);
    EXPECT_EQ(Run(disk, {"-s", stops, "-s", outPath + Native("/RT_NODI.SHP"), "-o", outPath}), kExitFailure);
    EXPECT_EQ(Contents(out), before);
}

// Stops the world at one output operation of another file system, as an interrupt would.
class Interrupting final : public FileSystemWrapper {
public:
    Interrupting(FileSystem& target, std::function<bool(const std::string&)> at)
        : FileSystemWrapper(target), at_(std::move(at)) {}
    std::unique_ptr<OutputFile> createForWriting(const std::string& path) override {
        interruptAt(path);
        return FileSystemWrapper::createForWriting(path);
    }
    void replace(const std::string& from, const std::string& target) override {
        interruptAt(target);
        FileSystemWrapper::replace(from, target);
    }

private:
    void interruptAt(const std::string& path) {
        if (!raised_ && at_(path)) {
            raised_ = true;  // once: a second request would end the process
#ifdef _WIN32
            SetInterruptSignal(SIGTERM);  // Windows asks through its console, not by a signal
#else
            std::raise(SIGTERM);
#endif
        }
    }
    std::function<bool(const std::string&)> at_;
    bool raised_ = false;
};

// An interrupt before the commit: what was prepared goes and the earlier output stays; during
// the commit: the commit is completed. Either way the run says so and exits 128 + SIGTERM.
TEST_F(OutputSafetyTest, AnInterruptEndsTheRunWithTheEarlierOrTheNewOutput) {
    CatchInterrupts();
    const auto run = [&](const std::function<bool(const std::string&)>& at) {
        SetInterruptSignal(0);
        Interrupting interrupting(disk, at);
        const int status = Run(interrupting, Both(outPath));
        EXPECT_EQ(status, kExitInterrupted + SIGTERM);
        EXPECT_TRUE(errors.str().ends_with("tramelo-merge: unificazione interrotta\n")) << errors.str();
        return Contents(out);
    };
    const auto isTemporary = [](const std::string& path) { return TargetOf(path) != path; };
    EXPECT_EQ(run(isTemporary), earlier);  // at the first temporary file made
    const Folder committed = run([](const std::string& path) { return path.ends_with("RT_NODI.SHP"); });
    EXPECT_EQ(committed.size(), AllOutputNames().size());
    for (const auto& [name, bytes] : committed) {
        EXPECT_NE(bytes, earlier.at(name)) << name << " is the earlier one";
    }
}

// The memory running out at any allocation of a run: it says so and exits 1 with the earlier
// output whole and nothing of its own left, unless the program could do without that
// allocation (reading an input ahead), and then the run succeeds.
TEST(OutOfMemoryTest, AnyAllocationThatFailsLeavesTheEarlierOutput) {
    MemoryFileSystem files;
    StopsShapefile({{"F1", "Uno", 1, 1}, {"F2", "Due", 2, 2}}).install(files, "/in/a/RT_NODI.SHP");
    RoutesShapefile({{"R1", "Linea", {{0, 0}, {1, 1}}}}).install(files, "/in/b/RT_ITIN.SHP");
    for (const std::string& name : AllOutputNames()) {
        files.files[JoinPath("/out", name)] = EarlierOutput(name);
    }
    const std::map<std::string, Bytes> before = files.files;
    const std::vector<std::string> args = {"-s",  "/in/a/RT_NODI.SHP", "-r", "/in/b/RT_ITIN.SHP", "-o",
                                           "/out"};
    std::ostringstream out;
    std::ostringstream err;
    FailAllocation(0);
    ASSERT_EQ(RunBatchMerge(args, files, out, err), kExitSuccess);
    const std::map<std::string, Bytes> complete = files.files;
    const std::int64_t allocations = FailAllocation(0);
    ASSERT_GT(allocations, 100);
    int failed = 0;
    for (std::int64_t k = 1; k <= allocations; ++k) {
        files.files = before;
        std::ostringstream runOut;
        std::ostringstream runErr;
        FailAllocation(k);
        const int status = RunBatchMerge(args, files, runOut, runErr);
        FailAllocation(0);
        if (status == kExitSuccess) {
            EXPECT_EQ(files.files, complete) << "allocation " << k;
            continue;
        }
        ++failed;
        EXPECT_EQ(status, kExitFailure) << "allocation " << k;
        EXPECT_TRUE(runErr.str().ends_with("tramelo-merge: memoria insufficiente\n"))
            << k << ": " << runErr.str();
        EXPECT_TRUE(files.lockedFolders.empty());
        // Past the commit point, the next run into the folder finishes what is left; once the
        // commit was done, the memory may run out while the counts are shown.
        const bool committing = files.files.contains("/out/tramelo-commit.journal");
        RecordingPlatform next(files);
        MergeWorkspace look(next);
        look.ClaimOutputFolder("/out");
        EXPECT_TRUE(files.files == complete || (!committing && files.files == before)) << "allocation " << k;
    }
    EXPECT_GT(failed, allocations / 2);
}

// A disk that holds only so many bytes: a write past them fails, and a removed file's bytes
// are free again.
class SmallDisk final : public FileSystemWrapper {
public:
    SmallDisk(FileSystem& target, std::int64_t capacity) : FileSystemWrapper(target), free_(capacity) {}

    std::unique_ptr<OutputFile> createForWriting(const std::string& path) override;
    void remove(const std::string& path) noexcept override {
        {
            const std::lock_guard lock(mutex_);
            free_ += sizes_[path];
            sizes_.erase(path);
        }
        FileSystemWrapper::remove(path);
    }
    void replace(const std::string& from, const std::string& target) override {
        FileSystemWrapper::replace(from, target);
        const std::lock_guard lock(mutex_);
        free_ += sizes_[target];
        sizes_[target] = sizes_[from];
        sizes_.erase(from);
    }
    // Writes a file of size bytes, or fails when they no longer fit.
    void take(const std::string& path, std::size_t size) {
        const std::lock_guard lock(mutex_);
        if (static_cast<std::int64_t>(size) > free_) {
            failedWrites.push_back(path);
            throw FileError(path, "disk full");
        }
        free_ -= static_cast<std::int64_t>(size);
        sizes_[path] += static_cast<std::int64_t>(size);
    }

    std::vector<std::string> failedWrites;

private:
    std::mutex mutex_;
    std::int64_t free_;
    std::map<std::string, std::int64_t> sizes_;
};

class SmallDiskFile final : public OutputFile {
public:
    SmallDiskFile(SmallDisk& disk, std::unique_ptr<OutputFile> inner, std::string path)
        : disk_(disk), inner_(std::move(inner)), path_(std::move(path)) {}
    void write(const void* data, std::size_t size) override {
        disk_.take(path_, size);
        inner_->write(data, size);
    }
    void seekToStart() override { inner_->seekToStart(); }
    void close() override { inner_->close(); }

private:
    SmallDisk& disk_;
    std::unique_ptr<OutputFile> inner_;
    std::string path_;
};

std::unique_ptr<OutputFile> SmallDisk::createForWriting(const std::string& path) {
    return std::make_unique<SmallDiskFile>(*this, FileSystemWrapper::createForWriting(path), path);
}

// Room for the report and the stops, not for the routes as well: the message names the
// routes' file whose write failed, the stops and the report are put in place, and the same
// room gives the same outcome every time.
TEST_F(OutputSafetyTest, AFullDiskNamesTheFileThatFilledIt) {
    std::vector<std::vector<Point>> lines(40, std::vector<Point>(2000, Point{1, 2}));
    std::vector<Route> many;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        many.push_back({"R" + std::to_string(i), "Linea", lines[i]});
    }
    disk.remove(routes);
    RoutesShapefile(many).install(disk, routes);
    std::string first;
    for (int attempt = 0; attempt < 3; ++attempt) {
        for (const std::string& name : AllOutputNames()) {
            fs::remove(out / name);
            std::ofstream(out / name, std::ios::binary) << name;
        }
        SmallDisk small(disk, 600 * 1024);
        EXPECT_EQ(Run(small, Both(outPath)), kExitFailure);
        ASSERT_FALSE(small.failedWrites.empty());
        const std::string failed = TargetOf(small.failedWrites.back());
        EXPECT_NE(failed.find("RT_ITIN"), std::string::npos) << failed;
        EXPECT_EQ(errors.str(), "attenzione: Impossibile scrivere " + failed + "\n");
        const Folder after = Contents(out);
        EXPECT_EQ(after.size(), AllOutputNames().size());
        EXPECT_NE(after.at("RT_NODI.SHP"), earlier.at("RT_NODI.SHP"));
        EXPECT_NE(after.at("ReportFusione.txt"), earlier.at("ReportFusione.txt"));
        EXPECT_EQ(after.at("RT_ITIN.SHP"), earlier.at("RT_ITIN.SHP"));
        if (attempt == 0) {
            first = errors.str();
        }
        EXPECT_EQ(errors.str(), first);
    }
}

}  // namespace
}  // namespace tramelo::testing
