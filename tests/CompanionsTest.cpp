// What the .prj and .cpg companions of the inputs do: the run's coordinate system and its
// warnings, texts read in the code page their .cpg (or language driver) names or as UTF-8,
// the warning for stops in degrees, and the companions Finish writes beside each dataset.

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/BatchMerge.h"
#include "tests/ImportTestSupport.h"
#include "tests/support/TestPaths.h"

namespace tramelo::testing {
namespace {

constexpr char kOtherPrj[] = "PROJCS[\"NAD_1983_StatePlane_New_York_Long_Island_FIPS_3104_Feet\"]";
constexpr char kDegreesPrj[] =
    "\xEF\xBB\xBFGEOGCS[\"GCS_WGS_1984\",DATUM[\"D_WGS_1984\",SPHEROID[\"WGS_1984\",6378137.0,298.257223563]],"
    "PRIMEM[\"Greenwich\",0.0],UNIT[\"Degree\",0.0174532925199433]]";
// kMetresPrj as GDAL writes it.
constexpr char kOgcMetresPrj[] =
    "\xEF\xBB\xBFPROJCS[\"WGS 84 / UTM zone 18N\",\n  GEOGCS[\"WGS 84\",DATUM[\"WGS_1984\",SPHEROID[\"WGS 84\","
    "6378137,298.257223563,AUTHORITY[\"EPSG\",\"7030\"]],AUTHORITY[\"EPSG\",\"6326\"]],PRIMEM[\"Greenwich\",0],"
    "UNIT[\"degree\",0.0174532925199433]],PROJECTION[\"Transverse_Mercator\"],PARAMETER[\"latitude_of_origin\",0],"
    "PARAMETER[\"central_meridian\",-75],PARAMETER[\"scale_factor\",0.99960000000000004],"
    "PARAMETER[\"false_easting\",500000],PARAMETER[\"false_northing\",0],UNIT[\"metre\",1],"
    "AXIS[\"Easting\",EAST],AXIS[\"Northing\",NORTH],AUTHORITY[\"EPSG\",\"32618\"]]";

std::string Warning(const std::string& path, const std::string& after) {
    return "lo shapefile " + path + after;
}
std::string Differs(const std::string& path) {
    return Warning(path,
                   " ha un sistema di riferimento (.prj) diverso da quello degli shapefile gi\xE0 acquisiti: "
                   "nessun file .PRJ sar\xE0 scritto");
}
std::string Missing(const std::string& path) {
    return Warning(path, " non ha un file .prj: si assume il sistema di riferimento degli altri shapefile");
}
std::string Degrees(const std::string& path) {
    return Warning(
        path,
        " ha coordinate in gradi: l'arrotondamento a due decimali sposta le fermate fino a circa un "
        "chilometro");
}

ShapefileBytes Stops(std::vector<Stop> stops, std::optional<std::string> prj = kMetresPrj,
                     std::optional<std::string> cpg = std::nullopt, std::uint8_t languageDriver = 0) {
    ShapefileBytes files = StopsShapefile(stops);
    files.prj = std::move(prj);
    files.cpg = std::move(cpg);
    files.dbf[29] = languageDriver;
    return files;
}

std::string ReadAsUtf8(const std::string& path) {
    return "i testi dello shapefile " + path + " sono stati letti come UTF-8 (nessuna code page dichiarata)";
}
std::string UnknownCodePage(const std::string& path, const std::string& name, int feature) {
    return "lo shapefile " + path + " dichiara la code page \"" + name +
           "\", che non \xE8 riconosciuta: l'entit\xE0 \"" + std::to_string(feature) +
           "\" ha testi non ASCII";
}

class CompanionsTest : public ImportTest {
protected:
    std::string Written(const std::string& name) const {
        return platform.memory.text(JoinPath("/out", name));
    }
    bool IsWritten(const std::string& name) const {
        return platform.memory.files.contains(JoinPath("/out", name));
    }
};

TEST_F(CompanionsTest, OneCoordinateSystemIsWrittenByteForByte) {
    // The same system written by another program, in the other dialect with a byte-order mark,
    // is not another system; the first file's bytes are the ones written.
    ASSERT_EQ(AddStops(Stops({{"F1", "", 1, 1}}, "  " + kMetresPrj + "\r\n"), "/in/a.shp"),
              AddOutcome::Acquired);
    ASSERT_EQ(AddStops(Stops({{"F2", "", 1, 1}}, kOgcMetresPrj), "/in/b.shp"), AddOutcome::Acquired);
    ASSERT_EQ(AddRoutes(RoutesShapefile({{"R1", "", {{0, 0}}}}), "/in/c.shp"), AddOutcome::Acquired);
    EXPECT_TRUE(platform.messages.empty());
    ASSERT_TRUE(workspace.Finish("/out"));
    EXPECT_EQ(Written("RT_NODI.PRJ"), "  " + kMetresPrj + "\r\n");
    EXPECT_EQ(Written("RT_ITIN.PRJ"), kMetresPrj);  // the routes' own
    // The texts of the outputs are code page 1252, whatever the inputs were.
    EXPECT_EQ(Written("RT_NODI.CPG"), "1252");
    EXPECT_EQ(Written("RT_ITIN.CPG"), "1252");
}

TEST_F(CompanionsTest, EachDatasetHasItsOwnCoordinateSystem) {
    platform.memory.files[JoinPath("/out", "RT_NODI.PRJ")] = {'o', 'l', 'd'};  // an earlier run's
    ASSERT_EQ(AddStops(Stops({{"F1", "", 1, 1}}), "/in/a.shp"), AddOutcome::Acquired);
    // Routes in another system keep it, and are told that they will not meet the stops.
    ShapefileBytes routes = RoutesShapefile({{"R1", "", {{0, 0}}}});
    routes.prj = kOtherPrj;
    ASSERT_EQ(AddRoutes(routes, "/in/b.shp"), AddOutcome::Acquired);
    ASSERT_EQ(AddStops(Stops({{"F2", "", 1, 1}}, kOtherPrj), "/in/c.shp"), AddOutcome::Acquired);
    EXPECT_EQ(platform.messages,
              (std::vector<RecordedMessage>{
                  {MessageKind::Warning,
                   Warning("/in/b.shp",
                           " ha un sistema di riferimento (.prj) diverso da quello degli shapefile RT_NODI gi\xE0 "
                           "acquisiti: fermate e percorsi non coincideranno sulla mappa")},
                  {MessageKind::Warning, Differs("/in/c.shp")}}));
    ASSERT_TRUE(workspace.Finish("/out"));
    EXPECT_FALSE(IsWritten("RT_NODI.PRJ"));  // mixed stops have no one system: the old one goes too
    EXPECT_EQ(Written("RT_ITIN.PRJ"), kOtherPrj);
    EXPECT_EQ(Written("RT_NODI.CPG"), "1252");
}

TEST_F(CompanionsTest, APrjThatCannotBeReadLeavesItsDatasetWithoutOne) {
    ASSERT_EQ(AddStops(Stops({{"F1", "", 1, 1}}), "/in/a.shp"), AddOutcome::Acquired);
    Stops({{"F2", "", 1000, 1000}}).install(platform.memory, "/in/b.shp");
    platform.memory.unreadable.insert("/in/b.PRJ");
    ASSERT_EQ(workspace.AddStopsFile("/in/b.shp"), AddOutcome::Acquired);
    ShapefileBytes routes = RoutesShapefile({{"R1", "", {{0, 0}}}});
    routes.prj = std::string(64 * 1024 + 1, ' ');
    ASSERT_EQ(AddRoutes(routes, "/in/c.shp"), AddOutcome::Acquired);
    EXPECT_EQ(platform.texts(),
              (std::vector<std::string>{
                  "il file .prj /in/b.PRJ non si pu\xF2 leggere: il sistema di riferimento di RT_NODI \xE8 "
                  "ignoto e nessun suo file .PRJ sar\xE0 scritto",
                  "il file .prj /in/c.PRJ supera i 64 KiB: il sistema di riferimento di RT_ITIN \xE8 ignoto e "
                  "nessun suo file .PRJ sar\xE0 scritto"}));
    ASSERT_TRUE(workspace.Finish("/out"));
    EXPECT_FALSE(IsWritten("RT_NODI.PRJ"));  // not the other file's system: this one's is unknown
    EXPECT_FALSE(IsWritten("RT_ITIN.PRJ"));
}

TEST_F(CompanionsTest, FilesWithoutPrjAreNamedWhenOthersHaveOne) {
    ASSERT_EQ(AddStops(Stops({{"F1", "", 1000, 1000}}, std::nullopt), "/in/a.shp"), AddOutcome::Acquired);
    EXPECT_TRUE(platform.messages.empty());  // nothing is known yet to miss
    // The first file with a .prj names the one before it that had none.
    ASSERT_EQ(AddStops(Stops({{"F2", "", 1, 1}}), "/in/b.shp"), AddOutcome::Acquired);
    ASSERT_EQ(AddStops(Stops({{"F3", "", 1000, 1000}}, std::nullopt), "/in/c.shp"), AddOutcome::Acquired);
    EXPECT_EQ(platform.texts(), (std::vector<std::string>{Missing("/in/a.shp"), Missing("/in/c.shp")}));
    ASSERT_TRUE(workspace.Finish("/out"));
    EXPECT_EQ(Written("RT_NODI.PRJ"), kMetresPrj);  // the known system is still written
}

TEST_F(CompanionsTest, LowerCaseCompanionsAreFound) {
    ShapefileBytes files = Stops({{"F1", "Citt\xC3\xA0", 1, 1}}, kMetresPrj, "utf-8");
    files.install(platform.memory, "/in/lower.shp", "shx", "dbf");
    ASSERT_TRUE(platform.memory.exists("/in/lower.prj"));
    ASSERT_EQ(workspace.AddStopsFile("/in/lower.shp"), AddOutcome::Acquired);
    EXPECT_EQ(workspace.stopsCrs.text, kMetresPrj);
    EXPECT_EQ(workspace.stopTable.head()->name, "Citt\xE0" + std::string(35, ' '));
}

// A record exported once in UTF-8 and once in code page 1252 is one record: a repeat, not a
// conflict, codes and blank-padded names alike.
TEST_F(CompanionsTest, Utf8TextsAreConvertedBeforeTheyAreMerged) {
    ASSERT_EQ(AddStops(Stops({{"F\xE0", "Citt\xE0 Sant'Angelo", 1, 1}}), "/in/a.shp"), AddOutcome::Acquired);
    ASSERT_EQ(AddStops(Stops({{"F\xC3\xA0", "Citt\xC3\xA0 Sant'Angelo", 1, 1},
                              {"\xE2\x82\xAC"
                               "1",
                               "Caff\xC3\xA8", 2, 2}},
                             kMetresPrj, " UTF8\n"),
                       "/in/b.shp"),
              AddOutcome::Acquired);
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_TRUE(workspace.issueLog.stopIssues.isEmpty());
    EXPECT_EQ(Codes(workspace.stopTable), (std::vector<std::string>{"F\xE0",
                                                                    "\x80"
                                                                    "1"}));
    EXPECT_EQ(workspace.stopTable.tail()->name, "Caff\xE8" + std::string(35, ' '));
    // Other names of UTF-8, and of code page 1252 (or a code page that holds it).
    for (const char* name : {"65001", "utf-8", "1252", "CP1252", "ansi 1252", "Windows-1252", "ISO-8859-1",
                             "latin1", "88591", " \n"}) {
        platform.messages.clear();
        EXPECT_EQ(AddStops(Stops({{"G1", "x", 1, 1}}, kMetresPrj, name), std::string("/in/") + name + ".shp"),
                  AddOutcome::Acquired)
            << name;
        EXPECT_TRUE(platform.messages.empty()) << name;
    }
}

TEST_F(CompanionsTest, TextsThatCannotBeConvertedAreErrorsNamingTheFeature) {
    // A character that code page 1252 lacks, and bytes that are not UTF-8 (shown as '?').
    const ShapefileBytes files = Stops({{"F1",
                                         "\xC5\x81\xC3\xB3"
                                         "dz",
                                         1, 1},
                                        {"F2", "", 1, 1},
                                        {"\xFF"
                                         "3",
                                         "", 1, 1}},
                                       kMetresPrj, "UTF-8");
    EXPECT_EQ(AddStops(files), AddOutcome::Rejected);
    const std::string after =
        "\" ha un testo che non \xE8 UTF-8 valido o che contiene caratteri assenti dalla code page 1252";
    EXPECT_EQ(platform.texts(),
              (std::vector<std::string>{"la fermata \"F1" + after, "la fermata \"?3" + after}));
    ExpectUntouched();

    // The same bytes of a code page 1252 file are simply its texts.
    platform.messages.clear();
    EXPECT_EQ(AddStops(Stops({{"\xFF"
                               "3",
                               "", 1, 1}}),
                       "/in/b.shp"),
              AddOutcome::Acquired);
    EXPECT_TRUE(platform.messages.empty());
}

// Without a .cpg or a language driver, texts that are all UTF-8 (and all in code page
// 1252) are read as UTF-8, with a warning; any others are their bytes, with none.
TEST_F(CompanionsTest, UndeclaredTextsAreReadAsUtf8OnlyWhenAllAre) {
    ASSERT_EQ(AddStops(Stops({{"F\xE0", "Citt\xE0", 1, 1}}, kMetresPrj, " \n"), "/in/a.shp"),
              AddOutcome::Acquired);
    ASSERT_EQ(AddStops(Stops({{"F2", "", 1, 1}, {"F\xC3\xA0", "Citt\xC3\xA0", 1, 1}}), "/in/b.shp"),
              AddOutcome::Acquired);
    EXPECT_EQ(platform.texts(), (std::vector<std::string>{ReadAsUtf8("/in/b.shp")}));
    EXPECT_TRUE(workspace.issueLog.stopIssues.isEmpty());  // the same stop twice: a repeat
    EXPECT_EQ(Codes(workspace.stopTable), (std::vector<std::string>{"F\xE0", "F2"}));
    // UTF-8 with a character code page 1252 lacks, and bytes that are not UTF-8 after some
    // that are: their bytes as they stand.
    platform.messages.clear();
    ASSERT_EQ(AddStops(Stops({{"G1",
                               "\xC5\x81\xC3\xB3"
                               "dz",
                               1, 1}}),
                       "/in/c.shp"),
              AddOutcome::Acquired);
    ASSERT_EQ(AddRoutes(RoutesShapefile({{"R\xC3\xA0", "", {{0, 0}}}, {"R2", "Caff\xE8", {{0, 0}}}})),
              AddOutcome::Acquired);
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(workspace.stopTable.tail()->name,
              "\xC5\x81\xC3\xB3"
              "dz" +
                  std::string(34, ' '));
    EXPECT_EQ(workspace.routeTable.head()->code, "R\xC3\xA0");
}

// The single-byte code pages, named by the .cpg or, without one, by the language driver;
// the .cpg wins.
TEST_F(CompanionsTest, SingleByteCodePagesAreConvertedTo1252) {
    struct Case {
        std::optional<std::string> cpg;
        std::uint8_t languageDriver;
        std::string text;
        std::string converted;
    };
    const Case cases[] = {
        {"CP850", 0, "\x85", "\xE0"},         {"IBM437", 0, "\x81", "\xFC"},
        {"latin9", 0, "\xA4", "\x80"},        {"Windows-1250", 0, "\x8A", "\x8A"},
        {"88592", 0, "\xA9", "\x8A"},         {"852", 0, "\x82", "\xE9"},
        {std::nullopt, 0x01, "\x81", "\xFC"}, {std::nullopt, 0x02, "\x85", "\xE0"},
        {"", 0x64, "\x82", "\xE9"},           {std::nullopt, 0xC8, "\x8A", "\x8A"},
        {std::nullopt, 0x57, "\xE0", "\xE0"}, {"1252", 0x02, "\x85", "\x85"},
        {"UTF-8", 0x02, "\xC3\xA0", "\xE0"},
    };
    int file = 0;
    for (const Case& c : cases) {
        const std::string code = "F" + std::to_string(file);
        const std::string path = "/in/" + std::to_string(file++) + ".shp";
        ASSERT_EQ(AddStops(Stops({{code + c.text, c.text, 1, 1}}, kMetresPrj, c.cpg, c.languageDriver), path),
                  AddOutcome::Acquired)
            << path;
        EXPECT_EQ(workspace.stopTable.tail()->code, code + c.converted) << path;
        EXPECT_EQ(workspace.stopTable.tail()->name, c.converted + std::string(40 - c.converted.size(), ' '))
            << path;
    }
    EXPECT_TRUE(platform.messages.empty());

    // A character code page 1252 lacks (ą) refuses the file; the code shows it as '?'.
    ShapefileBytes routes = RoutesShapefile({{"R\xA5", "", {{0, 0}}}});
    routes.cpg = "cp852";
    EXPECT_EQ(AddRoutes(routes), AddOutcome::Rejected);
    EXPECT_EQ(platform.texts(),
              (std::vector<std::string>{
                  "il percorso \"R?\" ha un testo con caratteri assenti dalla code page 1252"}));
}

// Texts in a code page not known here are merged only when they are ASCII, which every code
// page shares.
TEST_F(CompanionsTest, AnUnknownCodePageTakesOnlyAsciiTexts) {
    ASSERT_EQ(AddStops(Stops({{"F1", "Roma", 1, 1}}, kMetresPrj, " koi8-r\r\n")), AddOutcome::Acquired);
    ASSERT_EQ(AddStops(Stops({{"F2", "Roma", 1, 1}}, kMetresPrj, std::nullopt, 0x4D), "/in/b.shp"),
              AddOutcome::Acquired);
    EXPECT_TRUE(platform.messages.empty());

    AddStops(Stops({{"G1", "Roma", 1, 1}, {"G2", "\xC1\xD2", 1, 1}, {"\xC1", "", 1, 1}}, kMetresPrj, "GBK"),
             "/in/c.shp");
    AddStops(Stops({{"G1", "\xC1\xD2", 1, 1}}, kMetresPrj, std::nullopt, 0x4D), "/in/d.shp");
    // A .cpg that cannot be read declares something unknown, even beside a known driver.
    Stops({{"G1", "Citt\xC3\xA0", 1, 1}}, kMetresPrj, "UTF-8", 0x57).install(platform.memory, "/in/e.shp");
    platform.memory.unreadable.insert("/in/e.CPG");
    workspace.AddStopsFile("/in/e.shp");
    EXPECT_EQ(platform.messages,
              (std::vector<RecordedMessage>{
                  {MessageKind::Error, UnknownCodePage("/in/c.shp", "GBK", 1)},
                  {MessageKind::Error, UnknownCodePage("/in/d.shp", "LDID 0x4D", 0)},
                  {MessageKind::Error, UnknownCodePage("/in/e.shp", "(file .cpg illeggibile)", 0)}}));
    EXPECT_EQ(Codes(workspace.stopTable), (std::vector<std::string>{"F1", "F2"}));
}

TEST_F(CompanionsTest, StopsInDegreesAreWarnedAbout) {
    // A geographic system (after a byte-order mark), whatever the coordinates; no .prj, with
    // every stop a longitude and a latitude.
    ASSERT_EQ(AddStops(Stops({{"F1", "", 1000, 1000}}, kDegreesPrj), "/in/a.shp"), AddOutcome::Acquired);
    ASSERT_EQ(AddStops(Stops({{"F2", "", -73.99, 40.75}, {"F3", "", 180, -90}}, std::nullopt), "/in/b.shp"),
              AddOutcome::Acquired);
    // Not for one stop beyond the range, a projected system, or routes.
    ASSERT_EQ(AddStops(Stops({{"F4", "", -73.99, 40.75}, {"F5", "", 181, 0}}, std::nullopt), "/in/c.shp"),
              AddOutcome::Acquired);
    ASSERT_EQ(AddStops(Stops({{"F6", "", 1, 1}}, kMetresPrj), "/in/d.shp"), AddOutcome::Acquired);
    ShapefileBytes routes = RoutesShapefile({{"R1", "", {{1, 1}}}});
    routes.prj = kDegreesPrj;
    ASSERT_EQ(AddRoutes(routes, "/in/e.shp"), AddOutcome::Acquired);

    std::vector<std::string> degrees;
    for (const std::string& text : platform.texts()) {
        if (text.find("gradi") != std::string::npos) {
            degrees.push_back(text);
        }
    }
    EXPECT_EQ(degrees, (std::vector<std::string>{Degrees("/in/a.shp"), Degrees("/in/b.shp")}));
}

// With many inputs, each line says which file it is about, and no severity word comes twice.
TEST(CompanionLinesTest, BatchLinesNameTheirFile) {
    MemoryFileSystem files;
    Stops({{"F1", "Citt\xC3\xA0", 1, 1}}).install(files, "/in/a/RT_NODI.shp");
    Stops({{"F2", "", 1, 1}}, kOtherPrj).install(files, "/in/b/RT_NODI.shp");
    Stops({{"F3", "", 1, 1, 9}}).install(files, "/in/c/RT_NODI.shp");
    Stops({{"F4", "\xC1", 1, 1}}, kMetresPrj, "GBK").install(files, "/in/d/RT_NODI.shp");
    std::ostringstream out;
    std::ostringstream err;
    const std::vector<std::string> args = {"-s", "/in/a/RT_NODI.shp", "-s", "/in/b/RT_NODI.shp",
                                           "-s", "/in/c/RT_NODI.shp", "-s", "/in/a/RT_NODI.shp",
                                           "-s", "/in/d/RT_NODI.shp", "-o", Native("/out")};
    EXPECT_EQ(RunBatchMerge(args, files, out, err), kExitFailure);
    EXPECT_EQ(
        err.str(),
        "attenzione: i testi dello shapefile /in/a/RT_NODI.shp sono stati letti come UTF-8 (nessuna code "
        "page "
        "dichiarata)\n"
        "attenzione: lo shapefile /in/b/RT_NODI.shp ha un sistema di riferimento (.prj) diverso da quello "
        "degli shapefile gi\xC3\xA0 acquisiti: nessun file .PRJ sar\xC3\xA0 scritto\n"
        "errore: /in/c/RT_NODI.shp: la fermata \"F3\" non appartiene all'azienda\n"
        "Attenzione: lo shapefile indicato /in/a/RT_NODI.shp risulta gi\xC3\xA0 acquisito\n"
        "errore: lo shapefile /in/d/RT_NODI.shp dichiara la code page \"GBK\", che non \xC3\xA8 "
        "riconosciuta: "
        "l'entit\xC3\xA0 \"0\" ha testi non ASCII\n");
}

}  // namespace
}  // namespace tramelo::testing
