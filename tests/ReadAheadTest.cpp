#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "shapefile/ReadAhead.h"
#include "tests/support/MemoryFileSystem.h"
#include "tests/support/ShapefileBuilder.h"

namespace tramelo::testing {
namespace {

// Counts the files opened underneath, from either thread.
class CountingFileSystem final : public FileSystem {
public:
    explicit CountingFileSystem(MemoryFileSystem& inner) : inner_(inner) {}
    std::unique_ptr<InputFile> openForReading(const std::string& path) override {
        ++opened;
        return inner_.openForReading(path);
    }
    bool exists(const std::string& path) override { return inner_.exists(path); }
    std::unique_ptr<OutputFile> createForWriting(const std::string& path) override {
        return inner_.createForWriting(path);
    }
    bool isReadOnly(const std::string& path) override { return inner_.isReadOnly(path); }
    void replace(const std::string& from, const std::string& target) override {
        inner_.replace(from, target);
    }
    void remove(const std::string& path) noexcept override { inner_.remove(path); }

    std::atomic<int> opened = 0;

private:
    MemoryFileSystem& inner_;
};

std::string ReadAll(InputFile& file) {
    const auto bytes = file.read(static_cast<std::size_t>(file.size()));
    return std::string(bytes.begin(), bytes.end());
}

// The files of the inputs named come from the thread, each opened once underneath and
// handed over whole; an input the caller never opens (a refused pick) holds nothing up.
TEST(ReadAheadTest, NamedInputsAreReadOnceAndHandedOverWhole) {
    MemoryFileSystem memory;
    StopsShapefile({{"F1", "Uno", 1, 1}}).install(memory, "/in/a.shp", "shx", "dbf");  // with a .prj
    StopsShapefile({{"F2", "Due", 2, 2}}).install(memory, "/in/b.SHP");
    memory.files["/other.txt"] = {'x'};
    CountingFileSystem counting(memory);
    {
        ReadAhead ahead(counting);
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
        EXPECT_EQ(counting.opened, 8);  // a's four files, b's four, by the thread alone
        // Files not named are opened as usual, and so are those named once they were handed.
        EXPECT_EQ(ReadAll(*ahead.openForReading("/other.txt")), "x");
        EXPECT_EQ(ReadAll(*ahead.openForReading("/in/b.SHP")), memory.text("/in/b.SHP"));
        EXPECT_EQ(counting.opened, 10);
        EXPECT_THROW(ahead.openForReading("/in/none.shp"), FileError);
    }
}

// An input named after the one before was imported is read into the buffers that one gave
// back, not into new memory (taken meanwhile, memory given back would be elsewhere).
TEST(ReadAheadTest, LaterInputsReuseTheBuffersOfEarlierOnes) {
    MemoryFileSystem memory;
    const std::vector<std::string> extensions = {".shp", ".shx", ".dbf"};
    for (const char* stem : {"/in/a", "/in/b"}) {
        for (std::size_t i = 0; i < extensions.size(); ++i) {
            // Large enough to be worth keeping; the content tells the files apart.
            memory.files[stem + extensions[i]] = Bytes(300 * 1024 + i, static_cast<std::uint8_t>(stem[4] + i));
        }
    }
    ReadAhead ahead(memory);
    const auto import = [&](const std::string& stem) {
        std::set<const std::uint8_t*> buffers;
        std::vector<std::unique_ptr<InputFile>> open;  // all closed at the end, as an import does
        for (const std::string& extension : extensions) {
            InputFile& file = *open.emplace_back(ahead.openForReading(stem + extension));
            const auto bytes = file.read(static_cast<std::size_t>(file.size()));
            EXPECT_EQ(std::string(bytes.begin(), bytes.end()), memory.text(stem + extension));
            buffers.insert(bytes.data());
        }
        return buffers;
    };
    ahead.expectShapefile("/in/a.shp");
    const std::set<const std::uint8_t*> first = import("/in/a");
    const std::vector<std::vector<char>> meanwhile(3, std::vector<char>(1024 * 1024));
    ahead.expectShapefile("/in/b.shp");
    ahead.expectNoMore();
    EXPECT_EQ(import("/in/b"), first);
}

// A named file that is gone when the thread comes to it fails to open as it would have.
TEST(ReadAheadTest, MissingInputFailsAsUsual) {
    MemoryFileSystem memory;
    ReadAhead ahead(memory);
    ahead.expectShapefile("/in/missing.shp");
    EXPECT_THROW(ahead.openForReading("/in/missing.shp"), FileError);
}

}  // namespace
}  // namespace tramelo::testing
