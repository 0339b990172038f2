// What the batch command's pipeline does on its worker: read the inputs ahead, and write the
// datasets ahead while the files that follow are merged.

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "pipeline/Pipeline.h"
#include "pipeline/ReadAhead.h"
#include "pipeline/Worker.h"
#include "shapefile/DiskFileSystem.h"
#include "shapefile/FileSystemWrapper.h"
#include "tests/support/FaultyFileSystem.h"
#include "tests/support/MemoryFileSystem.h"
#include "tests/support/RecordingPlatform.h"
#include "tests/support/ShapefileBuilder.h"
#include "tests/support/TestPaths.h"
#include "workspace/MergeWorkspace.h"

namespace tramelo::testing {
namespace {

namespace fs = std::filesystem;
using Folder = std::map<std::string, Bytes>;  // file name to bytes

// Counts the files opened underneath, from either thread.
class CountingFileSystem final : public FileSystemWrapper {
public:
    using FileSystemWrapper::FileSystemWrapper;
    std::unique_ptr<InputFile> openForReading(const std::string& path) override {
        ++opened;
        return FileSystemWrapper::openForReading(path);
    }

    std::atomic<int> opened = 0;
};

std::string ReadAll(InputFile& file) {
    const auto bytes = file.read(static_cast<std::size_t>(file.size()));
    return std::string(bytes.begin(), bytes.end());
}

// The files of the inputs named come from the worker, each opened once underneath and
// handed over whole; an input the caller never opens (a refused pick) holds nothing up.
TEST(ReadAheadTest, NamedInputsAreReadOnceAndHandedOverWhole) {
    MemoryFileSystem memory;
    StopsShapefile({{"F1", "Uno", 1, 1}}).install(memory, "/in/a.shp", "shx", "dbf");  // with a .prj
    StopsShapefile({{"F2", "Due", 2, 2}}).install(memory, "/in/b.SHP");
    memory.files["/other.txt"] = {'x'};
    CountingFileSystem counting(memory);
    Worker worker;
    ReadAhead ahead(counting, worker);
    ahead.expectShapefile("/in/a.shp");
    ahead.expectShapefile("/in/b.SHP");
    for (const char* path : {"/in/a.shp", "/in/a.shx", "/in/a.dbf", "/in/a.prj"}) {
        const std::unique_ptr<InputFile> file = ahead.openForReading(path);
        EXPECT_TRUE(file->held()) << path;
        EXPECT_EQ(ReadAll(*file), memory.text(path)) << path;
    }
    // Only b's .DBF is wanted; its .SHP and .SHX, named before it, are dropped unread.
    EXPECT_EQ(ReadAll(*ahead.openForReading("/in/b.DBF")), memory.text("/in/b.DBF"));
    EXPECT_EQ(ReadAll(*ahead.openForReading("/in/b.PRJ")), memory.text("/in/b.PRJ"));
    EXPECT_EQ(counting.opened, 8);  // a's four files, b's four, by the worker alone
    // Files not named are opened as usual, and so are those named once they were handed.
    EXPECT_EQ(ReadAll(*ahead.openForReading("/other.txt")), "x");
    EXPECT_EQ(ReadAll(*ahead.openForReading("/in/b.SHP")), memory.text("/in/b.SHP"));
    EXPECT_EQ(counting.opened, 10);
    EXPECT_THROW(ahead.openForReading("/in/none.shp"), FileError);
    // A named file that is gone when the worker comes to it fails to open as it would have.
    ahead.expectShapefile("/in/missing.shp");
    EXPECT_THROW(ahead.openForReading("/in/missing.shp"), FileError);
    worker.wait();
}

// The bytes of an input stay what they are while anything holds them (a batch that refers
// into them), its file closed and later inputs read into buffers given back meanwhile.
TEST(ReadAheadTest, HeldBytesOutliveTheirFileWhileLaterInputsAreRead) {
    MemoryFileSystem memory;
    const std::vector<std::string> extensions = {".shp", ".shx", ".dbf"};
    for (const char* stem : {"/in/a", "/in/b", "/in/c"}) {
        for (std::size_t i = 0; i < extensions.size(); ++i) {
            // Large enough to be kept for the next input; the content tells the files apart.
            memory.files[stem + extensions[i]] =
                Bytes(300 * 1024 + i, static_cast<std::uint8_t>(stem[4] + i));
        }
    }
    Worker worker;
    ReadAhead ahead(memory, worker);
    const auto import = [&](const std::string& stem) {
        std::vector<HeldBytes> held;
        for (const std::string& extension : extensions) {
            const std::unique_ptr<InputFile> file = ahead.openForReading(stem + extension);
            EXPECT_EQ(ReadAll(*file), memory.text(stem + extension));
            held.push_back(file->held());
        }
        return held;
    };
    ahead.expectShapefile("/in/a.shp");
    ahead.expectShapefile("/in/b.shp");
    const std::vector<HeldBytes> a = import("/in/a");
    import("/in/b");  // let go at once: its buffers serve c
    ahead.expectShapefile("/in/c.shp");
    ahead.expectNoMore();
    import("/in/c");
    for (std::size_t i = 0; i < extensions.size(); ++i) {
        const std::span<const std::uint8_t> bytes = a[i].bytes();
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), memory.text("/in/a" + extensions[i]));
    }
    worker.wait();
}

// The batch command has the datasets written while the files are merged. Whatever fails,
// Finish then says what it says without that and leaves the same files, and a run that
// does not finish leaves none of its own.
TEST(WriteAheadTest, FinishesAsWithoutIt) {
    const TemporaryFolder temporary("ahead");
    const fs::path root = temporary.path() / "out";
    const std::string out = temporary.string() + Native("/out");
    DiskFileSystem disk;
    std::vector<std::pair<bool, std::string>> inputs;  // stops?, path
    const auto input = [&](bool stops, const std::string& name, const ShapefileBytes& bytes) {
        fs::create_directories(temporary.path() / name);
        inputs.emplace_back(
            stops, temporary.string() + Native("/" + name + (stops ? "/RT_NODI.SHP" : "/RT_ITIN.SHP")));
        bytes.install(disk, inputs.back().second);
    };
    // The first file leaves the company open, the third is refused, the last conflicts.
    input(true, "open", StopsShapefile({{"F0", "Aperta", 5, 5, -1}}));
    input(true, "a", StopsShapefile({{"F1", "Uno", 1, 1}, {"F2", "Due", 2, 2}}));
    input(true, "foreign", StopsShapefile({{"G1", "", 1, 1, 9}}));
    input(false, "r", RoutesShapefile({{"R1", "Linea", {{0, 0}, {1, 1}}}}));
    input(true, "b", StopsShapefile({{"F1", "Altra", 1, 1}, {"F3", "Tre", 3, 3}}));

    struct Outcome {
        bool finished;
        std::vector<std::string> texts;
        Folder folder;
    };
    // failing: a file every write to which fails; abandon: no Finish.
    const auto run = [&](bool ahead, const std::string& folder, const std::string& failing, bool abandon) {
        fs::remove_all(root);
        fs::create_directories(root);
        std::ofstream(root / "RT_NODI.SHP") << "earlier";
        FaultyFileSystem faulty(disk);
        faulty.concurrent = true;
        faulty.failWritesOf = failing.empty() ? "" : JoinPath(out, failing);
        RecordingPlatform platform(faulty);
        Outcome outcome{false, {}, {}};
        const auto look = [&] {
            for (const auto& entry : fs::directory_iterator(root)) {
                std::ifstream in(entry.path(), std::ios::binary);
                outcome.folder[entry.path().filename().string()] =
                    Bytes(std::istreambuf_iterator<char>(in), {});
            }
        };
        {
            Pipeline pipeline(faulty);
            MergeWorkspace workspace(platform);
            if (ahead) {  // as the batch command does: the folder first, then what goes into it
                workspace.ClaimOutputFolder(folder);
                pipeline.writeAheadInto(workspace, folder);
            }
            for (const auto& [stops, path] : inputs) {
                stops ? workspace.AddStopsFile(path) : workspace.AddRoutesFile(path);
            }
            if (!abandon) {
                outcome.finished = workspace.Finish(folder);
                look();  // as Finish leaves it, not only once the workspace is gone
            }
        }
        if (abandon) {
            look();
        }
        outcome.texts = platform.texts();
        return outcome;
    };

    const std::string missing = temporary.string() + Native("/missing");
    for (const auto& [folder, failing] :
         std::vector<std::pair<std::string, std::string>>{{out, ""},
                                                          {out, "RT_NODI.DBF"},
                                                          {out, "RT_ITIN.SHP"},
                                                          {out, "ReportFusione.txt"},
                                                          {missing, ""}}) {
        const Outcome plain = run(false, folder, failing, false);
        const Outcome ahead = run(true, folder, failing, false);
        EXPECT_EQ(ahead.finished, plain.finished) << failing;
        EXPECT_EQ(ahead.texts, plain.texts) << failing;
        EXPECT_EQ(ahead.folder, plain.folder) << failing;
    }
    const Outcome whole = run(true, out, "", false);
    EXPECT_TRUE(whole.finished);
    EXPECT_EQ(whole.folder.at("RT_NODI.SHP").size(), 100u + 4 * 28);
    EXPECT_EQ(TextAt(whole.folder.at("RT_NODI.DBF"), 130, 5), "7    ");  // F0 too takes the company
    EXPECT_EQ(run(true, out, "", true).folder,
              (Folder{{"RT_NODI.SHP", {'e', 'a', 'r', 'l', 'i', 'e', 'r'}}}));
}

}  // namespace
}  // namespace tramelo::testing
