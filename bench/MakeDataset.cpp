// Writes a large synthetic network as input shapefiles for the benchmarks:
//
//   tramelo-make-dataset FOLDER SCALE
//
// SCALE 1 is set M: 8 stops files of 125,000 stops and 8 routes files of 2,500 routes of 400
// points, one company, upper-case extensions, each file in its own folder (FOLDER/stops_1/
// RT_NODI.SHP, FOLDER/routes_1/RT_ITIN.SHP, ...). Files 2 to 8 repeat earlier records
// identically, 200,000 stops and 4,000 routes in all, so that 800,000 stops and 16,000 routes
// are kept. SCALE 2 (set L) doubles every file.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "export/DatasetWriter.h"
#include "export/OutputCommit.h"
#include "export/OutputSteps.h"
#include "model/PolylineGeometry.h"
#include "shapefile/DiskFileSystem.h"
#include "shapefile/Layouts.h"
#include "workspace/DatasetSchema.h"

namespace {

using namespace tramelo;

constexpr int kFiles = 8;
constexpr std::int32_t kCompany = 1;
constexpr int kPointsPerRoute = 400;

// A deterministic stream of numbers, so that every run makes the same bytes.
class Random {
public:
    std::uint64_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return state_;
    }
    double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

private:
    std::uint64_t state_ = 0x9E3779B97F4A7C15ull;
};

// Which earlier record feature j of file f repeats, or -1 for a new one: files after the
// first repeat `repeats` records of the file before, spread evenly.
long RepeatOf(long j, long perFile, long repeats) {
    const long stride = perFile / repeats;
    return j % stride == 0 && j / stride < repeats ? j / stride : -1;
}

void Commit(DiskFileSystem& disk, const std::filesystem::path& folder, DatasetWriter& writer) {
    if (CommitAlone(disk, folder.string(), writer.set()).outcome != OutputOutcome::Written) {
        throw FileError(folder.string(), "cannot put the files in place");
    }
}

struct Stop {
    std::string code;
    std::string name;
    double x;
    double y;
};

Stop MakeStop(long id, Random& random) {
    // UTM-like metres with full double precision, as real exports carry them.
    // Texts are appended piece by piece: GCC 12 warns falsely (-Wrestrict) on "literal" + string.
    Stop stop{"S", "Fermata ", 0, 0};
    stop.code += std::to_string(id);
    stop.name += std::to_string(id);
    stop.name += " via Roma";
    stop.name.resize(10 + static_cast<std::size_t>(id % 31), '.');
    stop.x = 560000.0 + random.uniform() * 200000.0;
    stop.y = 4480000.0 + random.uniform() * 150000.0;
    return stop;
}

PointArray MakeRoute(Random& random) {
    PointArray points(kPointsPerRoute);
    double x = 560000.0 + random.uniform() * 200000.0;
    double y = 4480000.0 + random.uniform() * 150000.0;
    for (Point& point : points) {
        x += random.uniform() * 40.0 - 20.0;
        y += random.uniform() * 40.0 - 20.0;
        point = {x, y};
    }
    return points;
}

void WriteStops(DiskFileSystem& disk, const std::filesystem::path& root, long perFile, long totalRepeats) {
    Random random;
    std::vector<Stop> previous;
    long nextId = 0;
    for (int f = 0; f < kFiles; ++f) {
        const long repeats =
            f == 0 ? 0 : totalRepeats / (kFiles - 1) + (f == kFiles - 1 ? totalRepeats % (kFiles - 1) : 0);
        const std::filesystem::path folder = root / ("stops_" + std::to_string(f + 1));
        std::filesystem::create_directories(folder);
        std::vector<Stop> current;
        current.reserve(static_cast<std::size_t>(perFile));
        DatasetWriter writer(disk, folder.string(), kStopsSchema, kCompany);
        writer.start();
        for (long j = 0; j < perFile; ++j) {
            const long repeat = repeats > 0 ? RepeatOf(j, perFile, repeats) : -1;
            current.push_back(repeat >= 0 ? previous[static_cast<std::size_t>(repeat)]
                                          : MakeStop(nextId++, random));
            const Stop& stop = current.back();
            writer.writeFeature(stop.code, stop.name, {stop.x, stop.y, stop.x, stop.y}, kPointContentSize,
                                [&](std::uint8_t* content) {
                                    EncodePointContent({stop.x, stop.y}, content);
                                });
        }
        writer.setPrj(std::nullopt);
        writer.complete({2026, 12, 7});
        Commit(disk, folder, writer);
        previous = std::move(current);
    }
}

void WriteRoutes(DiskFileSystem& disk, const std::filesystem::path& root, long perFile, long totalRepeats) {
    Random random;
    long nextId = 0;
    std::vector<std::pair<long, std::uint64_t>> previous;  // id and seed of each route
    for (int f = 0; f < kFiles; ++f) {
        const long repeats =
            f == 0 ? 0 : totalRepeats / (kFiles - 1) + (f == kFiles - 1 ? totalRepeats % (kFiles - 1) : 0);
        const std::filesystem::path folder = root / ("routes_" + std::to_string(f + 1));
        std::filesystem::create_directories(folder);
        std::vector<std::pair<long, std::uint64_t>> current;
        DatasetWriter writer(disk, folder.string(), kRoutesSchema, kCompany);
        writer.start();
        for (long j = 0; j < perFile; ++j) {
            const long repeat = repeats > 0 ? RepeatOf(j, perFile, repeats) : -1;
            current.push_back(repeat >= 0 ? previous[static_cast<std::size_t>(repeat)]
                                          : std::make_pair(nextId++, random.next()));
            const auto [id, seed] = current.back();
            Random shape;
            for (std::uint64_t k = 0; k < seed % 7 + 1; ++k) {
                shape.next();
            }
            const PolylineGeometry geometry(kPointsPerRoute, MakeRoute(shape));
            std::string code = "R";
            code += std::to_string(id);
            std::string description = "Linea ";
            description += std::to_string(id);
            description += " Capolinea - Stazione Centrale";
            const std::size_t contentSize = kSinglePartPointsOffset + kPointSize * geometry.points().size();
            writer.reserveScratch(RecordHeader::kSize + contentSize, contentSize + 4096);
            writer.writeFeature(code, description, geometry.box(), contentSize, [&](std::uint8_t* content) {
                EncodePolylineContent(geometry.box(), geometry.points(), content);
            });
        }
        writer.setPrj(std::nullopt);
        writer.complete({2026, 12, 7});
        Commit(disk, folder, writer);
        previous = std::move(current);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || std::atoi(argv[2]) < 1) {
        std::fprintf(stderr, "usage: %s FOLDER SCALE (1 = set M, 2 = set L)\n", argv[0]);
        return 2;
    }
    const long scale = std::atol(argv[2]);
    tramelo::DiskFileSystem disk;
    try {
        WriteStops(disk, argv[1], 125000 * scale, 200000 * scale);
        WriteRoutes(disk, argv[1], 2500 * scale, 4000 * scale);
    } catch (const tramelo::FileError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
