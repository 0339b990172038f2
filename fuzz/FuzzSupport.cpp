#include "fuzz/FuzzSupport.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <string_view>

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
    std::size_t i = 0;
    std::size_t added = 0;
    for (const StopRecord& stop : workspace.stopTable) {
        if (i++ < oldStops) {
            continue;
        }
        ++added;
        Check(Contains(files.dbf, stop.code) && Contains(files.dbf, stop.name), "stop texts from the .DBF");
    }
    Check(added <= features, "no more stops than features");
    i = 0;
    added = 0;
    for (const RouteRecord& route : workspace.routeTable) {
        if (i++ < oldRoutes) {
            continue;
        }
        ++added;
        Check(Contains(files.dbf, route.code) && Contains(files.dbf, route.description),
              "route texts from the .DBF");
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
    if (size < 4) {
        return files;
    }
    const std::size_t shpSize = std::min<std::size_t>(data[0] | (data[1] << 8), size - 4);
    const std::size_t shxSize = std::min<std::size_t>(data[2] | (data[3] << 8), size - 4 - shpSize);
    const std::uint8_t* cursor = data + 4;
    files.shp.assign(cursor, cursor + shpSize);
    cursor += shpSize;
    files.shx.assign(cursor, cursor + shxSize);
    cursor += shxSize;
    files.dbf.assign(cursor, data + size);
    return files;
}

std::vector<std::uint8_t> JoinInput(const testing::ShapefileBytes& files) {
    std::vector<std::uint8_t> input = {
        static_cast<std::uint8_t>(files.shp.size()), static_cast<std::uint8_t>(files.shp.size() >> 8),
        static_cast<std::uint8_t>(files.shx.size()), static_cast<std::uint8_t>(files.shx.size() >> 8)};
    input.insert(input.end(), files.shp.begin(), files.shp.end());
    input.insert(input.end(), files.shx.begin(), files.shx.end());
    input.insert(input.end(), files.dbf.begin(), files.dbf.end());
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
