#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "pipeline/ReadAhead.h"
#include "pipeline/Worker.h"
#include "shapefile/FileSystemWrapper.h"
#include "tests/support/MemoryFileSystem.h"
#include "tests/support/ShapefileBuilder.h"

namespace tramelo::testing {
namespace {

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
            memory.files[stem + extensions[i]] = Bytes(300 * 1024 + i, static_cast<std::uint8_t>(stem[4] + i));
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

}  // namespace
}  // namespace tramelo::testing
