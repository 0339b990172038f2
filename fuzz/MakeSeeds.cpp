// Writes the seed corpus of the fuzz targets:
//
//   tramelo-fuzz-seeds OUTPUT SAMPLES
//
// OUTPUT/stops, OUTPUT/routes and OUTPUT/decoding receive one file per seed: valid inputs,
// the first features of each sample shapefile with its .PRJ and .CPG, and the edge cases
// the tests know (null shapes, several parts, no points, another company, repeated codes,
// unusual fields, texts in UTF-8, an unknown code page, degrees). OUTPUT/wkt receives every
// .prj of those seeds on its own.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "shapefile/ByteOrder.h"
#include "shapefile/Layouts.h"

namespace {

using namespace tramelo;
using testing::Bytes;
using testing::ShapefileBuilder;
using testing::ShapefileBytes;

Bytes ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// The first `count` features of a shapefile, as a valid shapefile of their own.
ShapefileBytes FirstFeatures(const std::filesystem::path& shp, int count) {
    const Bytes shpIn = ReadFile(shp);
    const Bytes shxIn = ReadFile(std::filesystem::path(shp).replace_extension(".SHX"));
    const Bytes dbfIn = ReadFile(std::filesystem::path(shp).replace_extension(".DBF"));
    ShapefileBytes out;
    out.shp.assign(shpIn.begin(), shpIn.begin() + MainHeader::kSize);
    out.shx.assign(shxIn.begin(), shxIn.begin() + MainHeader::kSize);
    for (int i = 0; i < count; ++i) {
        const ShxEntry entry = ShxEntry::decode(shxIn.data() + MainHeader::kSize + 8 * i);
        const std::size_t start = 2 * static_cast<std::size_t>(entry.offsetWords);
        const std::size_t size = RecordHeader::kSize + 2 * static_cast<std::size_t>(entry.contentLengthWords);
        out.shx.resize(out.shx.size() + 8);
        ShxEntry{static_cast<std::int32_t>(out.shp.size() / 2), entry.contentLengthWords}.encode(
            out.shx.data() + out.shx.size() - 8);
        out.shp.insert(out.shp.end(), shpIn.begin() + static_cast<std::ptrdiff_t>(start),
                       shpIn.begin() + static_cast<std::ptrdiff_t>(start + size));
    }
    putInt32(static_cast<std::int32_t>(out.shp.size() / 2), out.shp.data() + 24, kBigEndian);
    putInt32(static_cast<std::int32_t>(out.shx.size() / 2), out.shx.data() + 24, kBigEndian);

    const DbfHeader header = DbfHeader::decode(dbfIn.data());
    const std::size_t records = header.headerLength + static_cast<std::size_t>(count) * header.recordLength;
    out.dbf.assign(dbfIn.begin(), dbfIn.begin() + static_cast<std::ptrdiff_t>(records));
    out.dbf.push_back(kDbfEndOfFile);
    putInt32(count, out.dbf.data() + 4, kLittleEndian);
    const Bytes prj = ReadFile(std::filesystem::path(shp).replace_extension(".PRJ"));
    const Bytes cpg = ReadFile(std::filesystem::path(shp).replace_extension(".CPG"));
    out.prj.emplace(prj.begin(), prj.end());
    out.cpg.emplace(cpg.begin(), cpg.end());
    return out;
}

void Write(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s OUTPUT SAMPLES\n", argv[0]);
        return 2;
    }
    namespace fs = std::filesystem;
    const fs::path output = argv[1];
    const fs::path samples = argv[2];
    for (const char* kind : {"stops", "routes", "decoding", "wkt"}) {
        fs::create_directories(output / kind);
    }
    int n = 0;
    const auto seed = [&](const char* kind, const ShapefileBytes& files) {
        Write(output / kind / ("seed-" + std::to_string(n++)), fuzzing::JoinInput(files));
        Write(output / "decoding" / ("seed-" + std::to_string(n++)), files.shp);
        Write(output / "decoding" / ("seed-" + std::to_string(n++)), files.dbf);
        if (files.prj) {
            Write(output / "wkt" / ("seed-" + std::to_string(n++)),
                  Bytes(files.prj->begin(), files.prj->end()));
        }
    };

    using testing::NullContent;
    using testing::PointContent;
    using testing::PolylineContent;
    seed("stops", testing::StopsShapefile({{"F12", "Piazza", 10.5, 20.25}}));
    seed("stops", testing::StopsShapefile({{"F1", "Uno", 2.125, -2.125},
                                           {"F1", "Due", 1.075, 0.145},
                                           {"F2", "", 563372.245, 4483854.085}}));
    seed("stops", testing::StopsShapefile({{"F1", "Piazza", 10.5, 20.25}, {"F4", "Altra", 1, 1, 8}}));
    seed("stops", testing::StopsShapefile({}));
    {
        // Companions: texts in UTF-8, a code page we do not know, degrees, no .prj at all, and
        // code page 850.
        ShapefileBytes utf8 = testing::StopsShapefile({{"F\xC3\xA0", "Citt\xC3\xA0", 12.49, 41.9}});
        utf8.cpg = "UTF-8";
        utf8.prj = "GEOGCS[\"GCS_WGS_1984\"]";
        seed("stops", utf8);
        ShapefileBytes unknown = testing::StopsShapefile({{"F1", "\xC1\xD2", 563372.25, 4483854.71}});
        unknown.cpg = "KOI8-R";
        unknown.prj.reset();
        seed("stops", unknown);
        ShapefileBytes dos = testing::StopsShapefile({{"F\x85", "Citt\x85", 563372.25, 4483854.71}});
        dos.cpg = "CP850";
        seed("stops", dos);
    }
    {
        ShapefileBuilder builder(1, {{"NOTE", 'C', 3},
                                     {"QUOTA", 'F', 19, 11},
                                     {"AZIENDA", 'N', 7, 1},
                                     {"cod_ferma", 'C', 10},
                                     {"DENOM", 'C', 40}});
        builder.feature(PointContent(1, 1), {"abc", "1.5", "7.0", "  F001 \t", "Piazza"})
            .feature(NullContent(), {"", "", "7", "F002", ""});
        seed("stops", builder.rightAlignNumbers().build());
    }
    seed("routes", testing::RoutesShapefile({{"R1", "Linea 1", {{0, 0}, {10, 0}, {10, 5}}}}));
    seed("routes",
         testing::RoutesShapefile(
             {{"R1", "Linea 1", {{0, 0}, {10, 5}}}, {"R2", "", {}}, {"R1", "Altra", {{10, 5}, {0, 0}}}}));
    {
        // UTF-8 that no .cpg declares, and a Latin-2 one.
        ShapefileBytes undeclared =
            testing::RoutesShapefile({{"R\xC3\xA8", "Caff\xC3\xA8", {{0, 0}, {1, 1}}}});
        undeclared.cpg.reset();
        seed("routes", undeclared);
        ShapefileBytes latin2 = testing::RoutesShapefile({{"R1", "N\xE1m\xECst\xED", {{0, 0}, {1, 1}}}});
        latin2.cpg = "ISO-8859-2";
        seed("routes", latin2);
    }
    {
        Bytes twoParts = PolylineContent({{0, 0}, {1, 1}, {2, 2}});
        putInt32(2, twoParts.data() + 36, kLittleEndian);
        ShapefileBuilder builder(3, testing::RouteFields());
        builder.feature(twoParts, {"7", "R1", ""})
            .feature(NullContent(), {"7", "R2", ""})
            .feature(PointContent(1, 1), {"8", "R3", ""});
        seed("routes", builder.build());
    }
    for (const char* folder : {"bus_si", "lirr", "mnr"}) {
        seed("stops", FirstFeatures(samples / folder / "RT_NODI.SHP", 8));
        seed("routes", FirstFeatures(samples / folder / "RT_ITIN.SHP", 2));
    }
    std::printf("%d seed files in %s\n", n, output.string().c_str());
    return 0;
}
