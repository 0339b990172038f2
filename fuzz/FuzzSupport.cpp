#include "fuzz/FuzzSupport.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "base/CodePage.h"
#include "import/Rounding.h"
#include "shapefile/Layouts.h"

namespace tramelo::fuzzing {

namespace {

constexpr char kInput[] = "/in/fuzz.shp";

std::string Bits(double value) {
    return std::to_string(std::bit_cast<std::uint64_t>(value));
}

std::string_view TrimSpaces(std::string_view text) {
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

bool Contains(const std::vector<std::uint8_t>& bytes, std::string_view part) {
    const auto* begin = reinterpret_cast<const char*>(bytes.data());
    return std::string_view(begin, bytes.size()).find(part) != std::string_view::npos;
}

// The .DBF as each code page it may be declared in reads it: its bytes as they stand, then
// the same bytes through every single-byte page (converted byte for byte, so a field keeps
// its place and its padding).
std::vector<std::string> DbfReadings(const std::vector<std::uint8_t>& dbf) {
    const std::string bytes(dbf.begin(), dbf.end());
    std::vector<std::string> readings = {bytes};
    for (int page = 0; page <= static_cast<int>(CodePage::Unknown); ++page) {
        if (IsSingleByte(static_cast<CodePage>(page))) {
            readings.push_back(SingleByteToCp1252Lossy(static_cast<CodePage>(page), bytes));
        }
    }
    return readings;
}

// A text of a record, as the .DBF holds it in some reading, or (for a file read as UTF-8)
// the UTF-8 of it, blank padding aside.
bool FromTheDbf(const std::vector<std::string>& readings, std::string_view text) {
    const auto holds = [&](const std::string& reading) { return reading.find(text) != std::string::npos; };
    return std::ranges::any_of(readings, holds) ||
           readings.front().find(Cp1252ToUtf8(TrimSpaces(text))) != std::string::npos;
}

// The points as they lie in a record.
bool ContainsPoints(const std::vector<std::uint8_t>& bytes, const PointArray& points) {
    std::string encoded(points.size() * kPointSize, '\0');
    EncodePoints(points, reinterpret_cast<std::uint8_t*>(encoded.data()));
    return Contains(bytes, encoded);
}

void Prepare(MergeWorkspace& workspace, testing::MemoryFileSystem& files) {
    testing::StopsShapefile({{"F1", "Piazza", 10.5, 20.25}, {"F2", "Stazione", -1, 2}})
        .install(files, "/base/a.shp");
    testing::StopsShapefile({{"F2", "Altra", -1, 2}, {"F3", "", 0, 0}}).install(files, "/base/b.shp");
    testing::RoutesShapefile({{"R1", "Linea 1", {{0, 0}, {10, 5}}}, {"R2", "", {}}})
        .install(files, "/base/c.shp");
    Check(workspace.AddStopsFile("/base/a.shp") == AddOutcome::Acquired, "baseline stops");
    Check(workspace.AddStopsFile("/base/b.shp") == AddOutcome::Acquired, "baseline stops");
    Check(workspace.AddRoutesFile("/base/c.shp") == AddOutcome::Acquired, "baseline routes");
}

template <class Table>
std::size_t Count(const Table& table) {
    return static_cast<std::size_t>(std::distance(table.begin(), table.end()));
}

// Every record the import added must be made of bytes of the input.
void CheckNewRecordsComeFromTheFiles(const MergeWorkspace& workspace, std::size_t oldStops,
                                     std::size_t oldRoutes, const testing::ShapefileBytes& files) {
    const std::size_t features = files.shx.size() / 8;
    const std::vector<std::string> dbf = DbfReadings(files.dbf);
    std::size_t i = 0;
    std::size_t added = 0;
    for (const StopRecord& stop : workspace.stopTable) {
        if (i++ < oldStops) {
            continue;
        }
        ++added;
        Check(FromTheDbf(dbf, stop.code) && FromTheDbf(dbf, stop.name), "stop texts from the .DBF");
    }
    Check(added <= features, "no more stops than features");
    i = 0;
    added = 0;
    for (const RouteRecord& route : workspace.routeTable) {
        if (i++ < oldRoutes) {
            continue;
        }
        ++added;
        Check(FromTheDbf(dbf, route.code) && FromTheDbf(dbf, route.description), "route texts from the .DBF");
        Check(route.geometry && ContainsPoints(files.shp, route.geometry->points()), "points from the .SHP");
    }
    Check(added <= features, "no more routes than features");
}

// The merged data, exported and imported again, gives the same records (texts up to the
// padding of their fields, stop coordinates through the same rounding).
void CheckExportReadsBack(MergeWorkspace& workspace, testing::RecordingPlatform& platform) {
    Check(workspace.Finish("/out"), "every output written");
    testing::RecordingPlatform again;
    again.memory.files = platform.memory.files;
    MergeWorkspace copy(again);
    Check(copy.AddStopsFile("/out/RT_NODI.SHP") == AddOutcome::Acquired, "exported stops read back");
    Check(copy.AddRoutesFile("/out/RT_ITIN.SHP") == AddOutcome::Acquired, "exported routes read back");
    Check(!workspace.HasMergedData() || copy.companyCode == workspace.companyCode, "same company");

    auto stop = copy.stopTable.begin();
    for (const StopRecord& original : workspace.stopTable) {
        Check(stop != copy.stopTable.end(), "as many stops");
        Check(stop->code == original.code, "same stop code");
        Check(TrimSpaces(stop->name) == TrimSpaces(original.name), "same stop name");
        Check(Bits(stop->x) == Bits(RoundToTwoDecimals(original.x)) &&
                  Bits(stop->y) == Bits(RoundToTwoDecimals(original.y)),
              "same stop coordinates");
        ++stop;
    }
    Check(stop == copy.stopTable.end(), "no extra stop");

    auto route = copy.routeTable.begin();
    for (const RouteRecord& original : workspace.routeTable) {
        Check(route != copy.routeTable.end(), "as many routes");
        Check(route->code == original.code, "same route code");
        Check(TrimSpaces(route->description) == TrimSpaces(original.description), "same description");
        const PointArray& read = route->geometry->points();
        const PointArray& kept = original.geometry->points();
        Check(read.size() == kept.size(), "same point count");
        for (std::size_t k = 0; k < read.size(); ++k) {
            Check(Bits(read[k].x) == Bits(kept[k].x) && Bits(read[k].y) == Bits(kept[k].y), "same points");
        }
        ++route;
    }
    Check(route == copy.routeTable.end(), "no extra route");
}

}  // namespace

testing::ShapefileBytes SplitInput(const std::uint8_t* data, std::size_t size) {
    testing::ShapefileBytes files;
    files.prj.reset();
    constexpr std::size_t kHeader = 8;
    if (size < kHeader) {
        return files;
    }
    const std::uint8_t* cursor = data + kHeader;
    std::size_t left = size - kHeader;
    const auto take = [&](std::size_t wanted) {
        const std::size_t count = std::min(wanted, left);
        const std::vector<std::uint8_t> part(cursor, cursor + count);
        cursor += count;
        left -= count;
        return part;
    };
    files.shp = take(data[1] | (data[2] << 8));
    files.shx = take(data[3] | (data[4] << 8));
    files.dbf = take(data[5] | (data[6] << 8));
    const std::vector<std::uint8_t> prj = take(data[7]);
    const std::vector<std::uint8_t> cpg = take(left);
    if ((data[0] & 1) != 0) {
        files.prj.emplace(prj.begin(), prj.end());
    }
    if ((data[0] & 2) != 0) {
        files.cpg.emplace(cpg.begin(), cpg.end());
    }
    return files;
}

std::vector<std::uint8_t> JoinInput(const testing::ShapefileBytes& files) {
    const auto u16 = [](std::size_t size) {
        return std::vector<std::uint8_t>{static_cast<std::uint8_t>(size),
                                         static_cast<std::uint8_t>(size >> 8)};
    };
    const std::string prj = files.prj.value_or("").substr(0, 255);
    std::vector<std::uint8_t> input = {static_cast<std::uint8_t>((files.prj ? 1 : 0) | (files.cpg ? 2 : 0))};
    for (const auto* part : {&files.shp, &files.shx, &files.dbf}) {
        const std::vector<std::uint8_t> length = u16(part->size());
        input.insert(input.end(), length.begin(), length.end());
    }
    input.push_back(static_cast<std::uint8_t>(prj.size()));
    for (const auto* part : {&files.shp, &files.shx, &files.dbf}) {
        input.insert(input.end(), part->begin(), part->end());
    }
    input.insert(input.end(), prj.begin(), prj.end());
    const std::string cpg = files.cpg.value_or("");
    input.insert(input.end(), cpg.begin(), cpg.end());
    return input;
}

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

std::string Describe(const MergeWorkspace& workspace) {
    std::string text = "company " + std::to_string(workspace.companyCode) + "\n";
    for (const StopRecord& stop : workspace.stopTable) {
        text += "stop " + std::string(stop.code) + "|" + std::string(stop.name) + "|" + Bits(stop.x) + "|" +
                Bits(stop.y) + "\n";
    }
    text += "indexed stops " + std::to_string(workspace.stopTable.indexedCount()) + "\n";
    for (const RouteRecord& route : workspace.routeTable) {
        text += "route " + std::string(route.code) + "|" + std::string(route.description) + "|";
        for (const Point& point : route.geometry->points()) {
            text += Bits(point.x) + "," + Bits(point.y) + ";";
        }
        text += "\n";
    }
    text += "indexed routes " + std::to_string(workspace.routeTable.indexedCount()) + "\n";
    for (const IssueEntry& issue : workspace.issueLog.stopIssues) {
        text += "stop issue " + issue.sourcePath + "|" + issue.message + "\n";
    }
    for (const IssueEntry& issue : workspace.issueLog.routeIssues) {
        text += "route issue " + issue.sourcePath + "|" + issue.message + "\n";
    }
    for (const AcquiredFile& file : workspace.acquiredStops) {
        text += "stops file " + file.path + "\n";
    }
    for (const AcquiredFile& file : workspace.acquiredRoutes) {
        text += "routes file " + file.path + "\n";
    }
    return text;
}

void RunImport(Kind kind, const testing::ShapefileBytes& files) {
    testing::RecordingPlatform platform;
    MergeWorkspace workspace(platform);
    Prepare(workspace, platform.memory);
    files.install(platform.memory, kInput);

    const std::string before = Describe(workspace);
    const std::size_t oldStops = Count(workspace.stopTable);
    const std::size_t oldRoutes = Count(workspace.routeTable);
    const int result = kind == Kind::Stops ? workspace.ImportStops(kInput) : workspace.ImportRoutes(kInput);
    Check(result == 0 || result == 1, "an import returns 1 or 0");
    if (result == 0) {
        Check(Describe(workspace) == before, "a rejected file leaves no trace");
        Check(!platform.messages.empty(), "a rejected file is explained");
        return;
    }
    for (const testing::RecordedMessage& message : platform.messages) {
        Check(message.kind != MessageKind::Error, "an accepted file shows no error");
    }
    CheckNewRecordsComeFromTheFiles(workspace, oldStops, oldRoutes, files);
    CheckExportReadsBack(workspace, platform);
}

}  // namespace tramelo::fuzzing
