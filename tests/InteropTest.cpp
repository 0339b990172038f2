// Checks against GDAL/OGR, an independent reader and writer of shapefiles: it must read what
// the merge writes, and the merge must read what it writes (lower-case extensions,
// right-aligned numbers).

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/BatchMerge.h"
#include "shapefile/DiskFileSystem.h"
#include "tests/support/TestPaths.h"

namespace tramelo {
namespace {

namespace fs = std::filesystem;
using testing::Lines;

std::string Capture(const std::string& command) {
    std::string output;
    if (FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r")) {
        char buffer[65536];
        std::size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
            output.append(buffer, got);
        }
        pclose(pipe);
    }
    return output;
}

std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> cells;
    std::string cell;
    bool quoted = false;
    for (const char c : line) {
        if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            cells.push_back(cell);
            cell.clear();
        } else {
            cell += c;
        }
    }
    cells.push_back(cell);
    return cells;
}

// A layer as CSV rows, the geometry first.
std::vector<std::string> Rows(const fs::path& shp, const char* geometry) {
    return Lines(Capture("ogr2ogr -f CSV /vsistdout/ '" + shp.string() + "' -lco GEOMETRY=" + geometry));
}

class InteropTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::system("ogr2ogr --version > /dev/null 2>&1") != 0) {
            GTEST_SKIP() << "GDAL (gdal-bin) is not installed";
        }
        fs::create_directories(folder / "out");
    }

    int Merge(const std::vector<std::string>& args) {
        std::ostringstream out;
        std::ostringstream err;
        DiskFileSystem files;
        const int status = RunBatchMerge(args, files, out, err);
        errors = err.str();
        return status;
    }

    const testing::TemporaryFolder temporary{"gdal"};
    const fs::path& folder = temporary.path();
    std::string errors;
};

TEST_F(InteropTest, GdalReadsTheMergedSamples) {
    const std::string samples = TRAMELO_SAMPLES_DIR;
    ASSERT_EQ(Merge({"-s", samples + "/bus_si/RT_NODI.SHP", "-r", samples + "/bus_si/RT_ITIN.SHP", "-s",
                     samples + "/lirr/RT_NODI.SHP", "-r", samples + "/lirr/RT_ITIN.SHP", "-s",
                     samples + "/mnr/RT_NODI.SHP", "-r", samples + "/mnr/RT_ITIN.SHP", "-o",
                     (folder / "out").string()}),
              kExitSuccess)
        << errors;

    // The coordinate system and the code page come along.
    struct Dataset {
        std::string name;
        std::vector<std::string> expected;
    };
    for (const Dataset& dataset : std::vector<Dataset>{
             {"RT_NODI",
              {"Geometry: Point", "Feature Count: 2145", "AZIENDA: Integer (5.0)", "COD_FERM: String (10.0)",
               "DENOM: String (40.0)"}},
             {"RT_ITIN", {"Geometry: Line String", "Feature Count: 468", "DESCR: String (120.0)"}}}) {
        const std::string info = Capture("ogrinfo -so -mdd all '" +
                                         (folder / ("out/" + dataset.name + ".SHP")).string() + "' " + dataset.name);
        std::vector<std::string> expected = dataset.expected;
        expected.insert(expected.end(), {"ID[\"EPSG\",32618]", "SOURCE_ENCODING=CP1252"});
        for (const std::string& line : expected) {
            EXPECT_NE(info.find(line), std::string::npos) << dataset.name << ": " << line << "\n" << info;
        }
    }

    // The first file's records come first, in its order: the same texts, stop coordinates
    // rounded to the centimetre, route points unchanged.
    const std::vector<std::string> stopsIn = Rows(samples + "/bus_si/RT_NODI.SHP", "AS_XY");
    const std::vector<std::string> stopsOut = Rows(folder / "out/RT_NODI.SHP", "AS_XY");
    ASSERT_EQ(stopsIn.size(), 1u + 1968u);
    ASSERT_EQ(stopsOut.size(), 1u + 2145u);
    for (std::size_t i = 1; i < stopsIn.size(); ++i) {
        const std::vector<std::string> in = Split(stopsIn[i]);
        const std::vector<std::string> out = Split(stopsOut[i]);
        ASSERT_EQ(in.size(), 5u);
        ASSERT_EQ(out.size(), 5u);
        EXPECT_EQ(std::stol(out[2]), 1) << i;
        EXPECT_EQ(out[3], in[3]) << i;
        EXPECT_EQ(out[4], in[4]) << i;
        for (const int axis : {0, 1}) {
            const double read = std::stod(in[static_cast<std::size_t>(axis)]);
            const double merged = std::stod(out[static_cast<std::size_t>(axis)]);
            EXPECT_LE(std::fabs(read - merged), 0.005 + 1e-7) << i;
            EXPECT_NEAR(merged * 100, std::round(merged * 100), 1e-4) << i;
        }
    }
    const std::vector<std::string> routesIn = Rows(samples + "/bus_si/RT_ITIN.SHP", "AS_WKT");
    const std::vector<std::string> routesOut = Rows(folder / "out/RT_ITIN.SHP", "AS_WKT");
    ASSERT_EQ(routesIn.size(), 1u + 286u);
    ASSERT_EQ(routesOut.size(), 1u + 468u);
    for (std::size_t i = 1; i < routesIn.size(); ++i) {
        EXPECT_EQ(routesOut[i], routesIn[i]) << i;
    }
}

// Accented names written by GDAL in UTF-8 and in code page 1252 meet as one stop, and GDAL
// reads the merged name back as written.
TEST_F(InteropTest, AccentedNamesReadRightWhateverTheirInputCodePage) {
    std::ofstream(folder / "stops.csv") << "AZIENDA,COD_FERM,DENOM,WKT\n"
                                           "42,F\xC3\xA0,Citt\xC3\xA0 Sant'Angelo,\"POINT (563372.25 4483854.71)\"\n";
    std::ofstream(folder / "stops.csvt") << "\"Integer(5)\",\"String(10)\",\"String(40)\",\"String\"\n";
    for (const char* encoding : {"UTF-8", "CP1252"}) {
        const std::string layer = std::string("stops_") + encoding;
        const std::string command = "ogr2ogr -f 'ESRI Shapefile' '" + (folder / layer).string() + ".shp' '" +
                                    (folder / "stops.csv").string() + "' -oo GEOM_POSSIBLE_NAMES=WKT " +
                                    "-oo KEEP_GEOM_COLUMNS=NO -lco ENCODING=" + encoding + " -nln " + layer +
                                    " > /dev/null 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    ASSERT_EQ(Merge({"-s", (folder / "stops_UTF-8.shp").string(), "-s", (folder / "stops_CP1252.shp").string(),
                     "-o", (folder / "out").string()}),
              kExitSuccess)
        << errors;
    const std::vector<std::string> stops = Rows(folder / "out/RT_NODI.SHP", "AS_XY");
    ASSERT_EQ(stops.size(), 2u);  // one stop: the two files hold the same one
    EXPECT_EQ(Split(stops[1]), (std::vector<std::string>{"563372.25", "4483854.71", "42", "F\xC3\xA0",
                                                         "Citt\xC3\xA0 Sant'Angelo"}));
}

TEST_F(InteropTest, MergesShapefilesWrittenByGdal) {
    // GDAL writes lower-case extensions and right-aligned numbers.
    std::ofstream(folder / "stops.csv") << "AZIENDA,COD_FERM,DENOM,WKT\n"
                                           "42,F1,Piazza,\"POINT (10.125 20.4449)\"\n"
                                           "42,F2,Stazione,\"POINT (-1 -2)\"\n";
    std::ofstream(folder / "stops.csvt") << "\"Integer(5)\",\"String(10)\",\"String(40)\",\"String\"\n";
    std::ofstream(folder / "routes.csv") << "AZIENDA,COD_PERC,DESCR,WKT\n"
                                            "42,R1,Linea uno,\"LINESTRING (0 0,10.000001 0,10 5)\"\n";
    std::ofstream(folder / "routes.csvt") << "\"Integer(5)\",\"String(20)\",\"String(120)\",\"String\"\n";
    for (const char* layer : {"stops", "routes"}) {
        const std::string command = "ogr2ogr -f 'ESRI Shapefile' '" + (folder / layer).string() + ".shp' '" +
                                    (folder / layer).string() + ".csv' -oo GEOM_POSSIBLE_NAMES=WKT " +
                                    "-oo KEEP_GEOM_COLUMNS=NO -nln " + layer + " > /dev/null 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    ASSERT_TRUE(fs::exists(folder / "stops.shx"));
    ASSERT_FALSE(fs::exists(folder / "stops.SHX"));

    ASSERT_EQ(Merge({"-s", (folder / "stops.shp").string(), "-r", (folder / "routes.shp").string(), "-o",
                     (folder / "out").string()}),
              kExitSuccess)
        << errors;
    const std::vector<std::string> stops = Rows(folder / "out/RT_NODI.SHP", "AS_XY");
    ASSERT_EQ(stops.size(), 3u);
    EXPECT_EQ(Split(stops[1]), (std::vector<std::string>{"10.13", "20.44", "42", "F1", "Piazza"}));
    EXPECT_EQ(Split(stops[2]), (std::vector<std::string>{"-1", "-2", "42", "F2", "Stazione"}));
    // Route points pass unchanged: GDAL reads the same line from both files.
    const std::vector<std::string> routes = Rows(folder / "out/RT_ITIN.SHP", "AS_WKT");
    const std::vector<std::string> written = Rows(folder / "routes.shp", "AS_WKT");
    ASSERT_EQ(routes.size(), 2u);
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(routes[1], written[1]);
    EXPECT_EQ(Split(routes[1]).at(3), "Linea uno");
}

// Names written by GDAL in each code page read here, one without its .cpg (but with the
// language driver of its code page) and one in UTF-8 without any: GDAL reads the merged names
// back as written.
TEST_F(InteropTest, NamesInEveryCodePageReadRight) {
    struct Input {
        const char* encoding;
        const char* name;    // in UTF-8
        int languageDriver;  // without a .cpg, the language driver written instead; -1 keeps the .cpg
    };
    const Input inputs[] = {
        {"CP850", "Citt\xC3\xA0", -1},         {"CP437", "M\xC3\xBCller", 0x01},
        {"ISO-8859-15", "5 \xE2\x82\xAC", -1}, {"ISO-8859-2", "\xC5\xA0umava", -1},
        {"CP852", "\xC5\xA0ternberk", -1},     {"CP1250", "\xC5\xBDilina", -1},
        {"UTF-8", "Caff\xC3\xA8", 0},
    };
    std::vector<std::string> args;
    std::vector<std::string> expected;
    for (const Input& input : inputs) {
        const std::string layer = std::string("stops_") + input.encoding;
        const std::string code = "F" + std::to_string(expected.size());
        std::ofstream(folder / (layer + ".csv")) << "AZIENDA,COD_FERM,DENOM,WKT\n42," << code << ","
                                                 << input.name << ",\"POINT (563372.25 4483854.71)\"\n";
        std::ofstream(folder / (layer + ".csvt"))
            << "\"Integer(5)\",\"String(10)\",\"String(40)\",\"String\"\n";
        const std::string command = "ogr2ogr -f 'ESRI Shapefile' '" + (folder / layer).string() + ".shp' '" +
                                    (folder / layer).string() + ".csv' -oo GEOM_POSSIBLE_NAMES=WKT " +
                                    "-oo KEEP_GEOM_COLUMNS=NO -lco ENCODING=" + input.encoding + " -nln " +
                                    layer + " > /dev/null 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        if (input.languageDriver >= 0) {
            ASSERT_TRUE(fs::remove(folder / (layer + ".cpg"))) << layer;
            std::fstream dbf(folder / (layer + ".dbf"), std::ios::in | std::ios::out | std::ios::binary);
            dbf.seekp(29);
            dbf.put(static_cast<char>(input.languageDriver));
        }
        args.insert(args.end(), {"-s", (folder / (layer + ".shp")).string()});
        expected.push_back(code + "," + input.name);
    }
    args.insert(args.end(), {"-o", (folder / "out").string()});
    ASSERT_EQ(Merge(args), kExitSuccess) << errors;
    EXPECT_EQ(errors, "attenzione: i testi dello shapefile " + (folder / "stops_UTF-8.shp").string() +
                          " sono stati letti come UTF-8 (nessuna code page dichiarata)\n");
    std::vector<std::string> merged;
    for (const std::string& row : Rows(folder / "out/RT_NODI.SHP", "AS_XY")) {
        const std::vector<std::string> cells = Split(row);
        if (cells.size() == 5 && cells[0] != "X") {
            merged.push_back(cells[3] + "," + cells[4]);
        }
    }
    EXPECT_EQ(merged, expected);
}

// GDAL puts every conflict of the table on the map at the kept record's position, and reads
// the columns as the .csvt declares them: a code of digits keeps its leading zero.
TEST_F(InteropTest, GdalPlacesEveryConflictOfTheTable) {
    const auto shapefile = [&](const std::string& layer, const std::string& rows, const char* fields) {
        std::ofstream(folder / (layer + ".csv")) << fields << ",WKT\n" << rows;
        std::ofstream(folder / (layer + ".csvt"))
            << "\"Integer(5)\",\"String(10)\",\"String(40)\",\"String\"\n";
        const std::string command = "ogr2ogr -f 'ESRI Shapefile' '" + (folder / layer).string() + ".shp' '" +
                                    (folder / layer).string() + ".csv' -oo GEOM_POSSIBLE_NAMES=WKT " +
                                    "-oo KEEP_GEOM_COLUMNS=NO -nln " + layer + " > /dev/null 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return (folder / (layer + ".shp")).string();
    };
    // Stops: a name-only conflict on the code of digits, a move along x alone; routes: a
    // point that differs.
    const char* stop = "AZIENDA,COD_FERM,DENOM";
    const char* route = "AZIENDA,COD_PERC,DESCR";
    const std::vector<std::string> inputs = {
        shapefile("stops_a", "42,0123,Piazza,\"POINT (10 20)\"\n42,F2,Stazione,\"POINT (30 40)\"\n", stop),
        shapefile("stops_b", "42,0123,Piazza Nuova,\"POINT (10 20)\"\n42,F2,Stazione,\"POINT (31 40)\"\n",
                  stop),
        shapefile("routes_a", "42,R1,Linea,\"LINESTRING (0 0,10 0,10 5)\"\n", route),
        shapefile("routes_b", "42,R1,Linea,\"LINESTRING (0 0,10 1,10 5)\"\n", route),
    };
    ASSERT_EQ(Merge({"-s", inputs[0], "-s", inputs[1], "-r", inputs[2], "-r", inputs[3], "-o",
                     (folder / "out").string()}),
              kExitSuccess)
        << errors;
    const std::string info =
        Capture("ogrinfo -ro -al -oo X_POSSIBLE_NAMES=kept_x -oo Y_POSSIBLE_NAMES=kept_y '" +
                (folder / "out/ReportFusione.csv").string() + "'");
    for (const char* line :
         {"Geometry: Point", "Feature Count: 3", "code: String", "kept_x: Real", "dropped_y: Real",
          "kept_points: Integer", "kept_point_x: Real", "code (String) = 0123", "  POINT (10 20)\n",
          "  POINT (30 40)\n", "  POINT (0 0)\n", "dropped_x (Real) = 31", "dropped_point_y (Real) = 1"}) {
        EXPECT_NE(info.find(line), std::string::npos) << line << "\n" << info;
    }
}

}  // namespace
}  // namespace tramelo
