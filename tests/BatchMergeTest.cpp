#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/BatchMerge.h"
#include "tests/support/MemoryFileSystem.h"
#include "tests/support/Outputs.h"
#include "tests/support/ShapefileBuilder.h"
#include "tests/support/TestPaths.h"

namespace tramelo::testing {
namespace {

class BatchMergeTest : public ::testing::Test {
protected:
    BatchMergeTest() {
        StopsShapefile({{"F1", "Citt\xE0", 1, 1}}).install(files, "/in/a/RT_NODI.shp");
        StopsShapefile({{"F1", "Altra", 1, 1}, {"F2", "Due", 2, 2}}).install(files, "/in/b/RT_NODI.shp");
        RoutesShapefile({{"R1", "Linea", {{0, 0}, {1, 1}}}}).install(files, "/in/a/RT_ITIN.shp");
        StopsShapefile({{"G1", "", 1, 1, 9}}).install(files, "/in/foreign/RT_NODI.shp");
    }

    int Run(std::vector<std::string> args) {
        out.str("");
        err.str("");
        return RunBatchMerge(args, files, out, err);
    }

    MemoryFileSystem files;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(BatchMergeTest, MergesInCommandLineOrder) {
    EXPECT_EQ(Run({"-s", "/in/a/RT_NODI.shp", "--routes", "/in/a/RT_ITIN.shp", "--stops=/in/b/RT_NODI.shp",
                   "-o", Native("/out")}),
              kExitSuccess);
    EXPECT_EQ(out.str(), "Sono state esportate 2 fermate\nSono stati esportati 1 percorsi\n");
    EXPECT_EQ(err.str(), "");
    const std::string report = files.text(Native("/out/ReportFusione.txt"));
    EXPECT_NE(report.find("RT_NODI:\r\n/in/a/RT_NODI.shp\r\n/in/b/RT_NODI.shp\r\n"), std::string::npos);
    EXPECT_NE(report.find("/in/b/RT_NODI.shp\t\"F1\" gi\xE0 presente"), std::string::npos);
    EXPECT_EQ(files.bytes(Native("/out/RT_NODI.DBF")).size(), 129u + 2 * 56u + 1u);
    // The data files keep code page 1252 bytes.
    EXPECT_NE(files.text(Native("/out/RT_NODI.DBF")).find("Citt\xE0"), std::string::npos);
}

// One line per message; a kind whose every input was refused is not written, and its earlier
// dataset stays.
TEST_F(BatchMergeTest, MessagesAreUtf8OnTheRightStream) {
    files.files[Native("/out/RT_ITIN.SHP")] = {'e'};
    EXPECT_EQ(Run({"-s", "/in/a/RT_NODI.shp", "-s", "/in/a/RT_NODI.shp", "-s", "/in/foreign/RT_NODI.shp",
                   "-r", "/in/a/RT_NODI.shp", "-r", "/in/missing.shp", "-o", Native("/out")}),
              kExitFailure);
    EXPECT_EQ(err.str(),
              "Attenzione: lo shapefile indicato /in/a/RT_NODI.shp risulta gi\xC3\xA0 acquisito\n"
              "errore: /in/foreign/RT_NODI.shp: la fermata \"G1\" non appartiene all'azienda\n"
              "errore: /in/a/RT_NODI.shp: lo ShapeFile non presenta gli attributi obbligatori di RT_ITIN oppure "
              "non contiene entit\xC3\xA0 lineari: forma: Point (1), serve PolyLine (3); campo COD_PERC assente; "
              "campo DESCR assente\n"
              "errore: /in/missing.shp: Non \xC3\xA8 possibile leggere il file RT_ITIN.SHP\n"
              "attenzione: nessuno shapefile RT_ITIN \xC3\xA8 stato acquisito: RT_ITIN non \xC3\xA8 stato scritto "
              "e resta com'era\n");
    EXPECT_EQ(out.str(), "Sono state esportate 1 fermate\n");
    EXPECT_EQ(files.bytes(Native("/out/RT_ITIN.SHP")), Bytes{'e'});
    EXPECT_FALSE(files.exists(Native("/out/RT_ITIN.DBF")));
}

TEST_F(BatchMergeTest, RepeatedPathOnlyWarns) {
    EXPECT_EQ(Run({"-s", "/in/a/RT_NODI.shp", "-s", "/in/a/RT_NODI.shp", "-o", Native("/out")}),
              kExitSuccess);
    EXPECT_NE(err.str().find("risulta gi\xC3\xA0 acquisito"), std::string::npos);
}

// A line break or an escape in a path, or in a code read from a file, would forge a line or
// drive the terminal.
TEST_F(BatchMergeTest, ControlCharactersShowAsQuestionMarks) {
    StopsShapefile({{"G\n1\x1B[2J", "", 1, 1, 9}}).install(files, "/in/c/RT_NODI.shp");
    EXPECT_EQ(Run({"-s", "/in/a/RT_NODI.shp", "-s", "/in/x\nerrore: y\x1B[2J.shp", "-s", "/in/c/RT_NODI.shp",
                   "-o", Native("/out")}),
              kExitFailure);
    EXPECT_EQ(err.str(),
              "errore: /in/x?errore: y?[2J.shp: Non \xC3\xA8 possibile leggere il file RT_NODI.SHP\n"
              "errore: /in/c/RT_NODI.shp: la fermata \"G 1?[2J\" non appartiene all'azienda\n");
}

TEST_F(BatchMergeTest, NothingToWriteWritesNothing) {
    StopsShapefile({}).install(files, "/in/empty/RT_NODI.shp");
    EXPECT_EQ(Run({"-s", "/in/empty/RT_NODI.shp", "-o", Native("/out")}), kExitSuccess);
    EXPECT_EQ(out.str(), "");
    EXPECT_NE(err.str().find("nessun file scritto"), std::string::npos);
    EXPECT_FALSE(files.exists(Native("/out/ReportFusione.txt")));

    // A rejected file still makes the run fail, even with nothing to write.
    EXPECT_EQ(Run({"-s", "/in/missing.shp", "-o", Native("/out")}), kExitFailure);
    EXPECT_FALSE(files.exists(Native("/out/ReportFusione.txt")));
}

TEST_F(BatchMergeTest, OutputFailureExitsWithOne) {
    files.missingFolders.insert(Native("/nowhere"));
    EXPECT_EQ(Run({"-s", "/in/a/RT_NODI.shp", "-o", Native("/nowhere")}), kExitFailure);
    EXPECT_NE(
        err.str().find("attenzione: Impossibile creare " + Native("/nowhere/ReportFusione.txt") + "\n"),
        std::string::npos);
    EXPECT_EQ(out.str(), "");
}

TEST_F(BatchMergeTest, TrailingSeparatorsAreDropped) {
    EXPECT_EQ(Run({"-s", "/in/a/RT_NODI.shp", "--output=" + Native("/out///")}), kExitSuccess);
    EXPECT_TRUE(files.exists(Native("/out/RT_NODI.SHP")));
    EXPECT_EQ(Run({"-s", "/in/a/RT_NODI.shp", "-o", Native("/")}), kExitSuccess);
    EXPECT_TRUE(files.exists(Native("/RT_NODI.SHP")));  // the root stays the root
}

TEST_F(BatchMergeTest, UsageErrorsExitWithTwo) {
    const std::vector<std::vector<std::string>> wrong = {
        {},
        {"-s", "/in/a/RT_NODI.shp"},  // no output
        {"-o", Native("/out")},       // no input
        {"-s"},                       // missing argument
        {"-s", "/in/a/RT_NODI.shp", "-o"},
        {"-x", "-o", Native("/out")},                 // unknown option
        {"/in/a/RT_NODI.shp", "-o", Native("/out")},  // a file without -s or -r
        {"-s", "/in/a/RT_NODI.shp", "-o", "/a", "-o", "/b"},
    };
    for (const auto& args : wrong) {
        EXPECT_EQ(Run(args), kExitUsage) << ::testing::PrintToString(args);
        EXPECT_NE(err.str().find("Uso: tramelo-merge"), std::string::npos);
        EXPECT_EQ(out.str(), "");
    }
    EXPECT_FALSE(files.exists(Native("/out/ReportFusione.txt")));
}

TEST_F(BatchMergeTest, HelpAndVersion) {
    EXPECT_EQ(Run({"--help"}), kExitSuccess);
    EXPECT_NE(out.str().find("--stops"), std::string::npos);
    for (const char* written :
         {"ReportFusione.csv", "ReportFusione.csvt", ".CPG", "RT_ITIN.PRJ", "--output CARTELLA"}) {
        EXPECT_NE(out.str().find(written), std::string::npos) << written;  // every output, one word for the folder
    }
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(Run({"--version"}), kExitSuccess);
    EXPECT_EQ(out.str(), std::string("tramelo-merge ") + TRAMELO_VERSION + "\n");
}

// The real program on the real samples: exit status and the two streams kept apart.
TEST(BatchMergeProgramTest, MergesTheSamplesOnDisk) {
    namespace fs = std::filesystem;
    const TemporaryFolder temporary("cli");
    const fs::path& folder = temporary.path();
    const std::string samples = BuildMachinePath(TRAMELO_SAMPLES_DIR);
    const auto sample = [&](const char* name) { return samples + Native(name); };
#ifdef _WIN32
    const char* noInput = "NUL";
#else
    const char* noInput = "/dev/null";
#endif
    const std::string command = BuildMachinePath(TRAMELO_MERGE_PROGRAM) + " -s " +
                                sample("/lirr/RT_NODI.SHP") + " -s " + sample("/mnr/RT_NODI.SHP") + " -r " +
                                sample("/mnr/RT_ITIN.SHP") + " -s " + sample("/lirr/RT_NODI.SHP") + " -o " +
                                temporary.string() + " > " + (folder / "out.txt").string() + " 2> " +
                                (folder / "err.txt").string() + " < " + noInput;
    const int status = std::system(command.c_str());
#ifdef _WIN32
    EXPECT_EQ(status, 0);  // the program's exit code itself
#else
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
#endif
    // The messages are console text, read back as text: on Windows a line ends in CR LF.
    const auto read = [](const fs::path& path) {
        std::ifstream in(path);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    EXPECT_EQ(read(folder / "out.txt"),
              "Sono state esportate 177 fermate\nSono stati esportati 38 percorsi\n");
    EXPECT_EQ(read(folder / "err.txt"), "Attenzione: lo shapefile indicato " + sample("/lirr/RT_NODI.SHP") +
                                            " risulta gi\xC3\xA0 acquisito\n");
    for (const std::string& name : kOutputNames) {
        EXPECT_TRUE(fs::exists(folder / name)) << name;
    }
    EXPECT_EQ(fs::file_size(folder / "RT_NODI.SHP"), 100u + 177u * 28u);
}

}  // namespace
}  // namespace tramelo::testing
