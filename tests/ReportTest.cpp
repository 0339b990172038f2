#include <gtest/gtest.h>

#include <string>

#include "tests/support/RecordingPlatform.h"
#include "workspace/MergeWorkspace.h"

namespace tramelo::testing {
namespace {

constexpr char kConflict[] = "\"F12\" gi\xE0 presente con caratteristiche differenti !!!";

class ReportTest : public ::testing::Test {
protected:
    ReportTest() : workspace(platform) {}

    std::string Report() const { return platform.memory.text(JoinPath("/out", "ReportFusione.txt")); }

    RecordingPlatform platform;
    MergeWorkspace workspace;
};

// Paths are held as UTF-8 and written in code page 1252 like the rest of the report: "à"
// becomes 0xE0, a character the code page lacks ("Ł"; "ž" and "€" are there) or a byte that is not UTF-8
// becomes '?'.
TEST_F(ReportTest, ListsFilesAndStopIssues) {
    workspace.acquiredStops.append("C:\\dati\\A\\RT_NODI.shp");
    workspace.acquiredStops.append("/dati/citt\xC3\xA0 nuova/B.shp");
    workspace.acquiredStops.append(
        "/\xC5\x81\xC3\xB3"
        "d\xC5\xBE \xE2\x82\xAC/\xFF.shp");
    workspace.issueLog.addStopIssue("/dati/citt\xC3\xA0 nuova/B.shp", kConflict);
    EXPECT_EQ(workspace.WriteReport("/out"), OutputOutcome::Written);
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(Report(),
              "Report unificazione ShapeFiles\r\n"
              "\r\n"
              "ShapeFiles incorporati in RT_NODI:\r\n"
              "C:\\dati\\A\\RT_NODI.shp\r\n"
              "/dati/citt\xE0 nuova/B.shp\r\n"
              "/?\xF3"
              "d\x9E \x80/?.shp\r\n"
              "\r\n"
              "\r\n"
              "ShapeFiles incorporati in RT_ITIN:\r\n"
              "nessuno\r\n"
              "\r\n"
              "\r\n"
              "Criticit\xE0 presenti in RT_NODI:\r\n"
              "/dati/citt\xE0 nuova/B.shp\t\"F12\" gi\xE0 presente con caratteristiche differenti !!!\r\n"
              "\r\n"
              "\r\n");
}

TEST_F(ReportTest, NothingAcquiredAndNoIssues) {
    EXPECT_EQ(workspace.WriteReport("/out"), OutputOutcome::Written);
    EXPECT_EQ(Report(),
              "Report unificazione ShapeFiles\r\n\r\n"
              "ShapeFiles incorporati in RT_NODI:\r\nnessuno\r\n\r\n\r\n"
              "ShapeFiles incorporati in RT_ITIN:\r\nnessuno\r\n\r\n\r\n");
}

TEST_F(ReportTest, RouteIssuesFollowTheFileSectionsDirectly) {
    workspace.acquiredRoutes.append("r1.shp");
    workspace.acquiredRoutes.append("r2.shp");
    workspace.issueLog.addRouteIssue("r2.shp", "uno");
    workspace.issueLog.addRouteIssue("r2.shp", "due");
    EXPECT_EQ(workspace.WriteReport("/out"), OutputOutcome::Written);
    EXPECT_EQ(Report(),
              "Report unificazione ShapeFiles\r\n\r\n"
              "ShapeFiles incorporati in RT_NODI:\r\nnessuno\r\n\r\n\r\n"
              "ShapeFiles incorporati in RT_ITIN:\r\nr1.shp\r\nr2.shp\r\n\r\n\r\n"
              "Criticit\xE0 presenti in RT_ITIN:\r\nr2.shp\tuno\r\nr2.shp\tdue\r\n\r\n\r\n");
}

TEST_F(ReportTest, BothIssueSectionsStopsFirst) {
    workspace.issueLog.addRouteIssue("r.shp", "route");
    workspace.issueLog.addStopIssue("s.shp", "stop");
    EXPECT_EQ(workspace.WriteReport("/out"), OutputOutcome::Written);
    const std::string report = Report();
    EXPECT_NE(report.find("Criticit\xE0 presenti in RT_NODI:\r\ns.shp\tstop\r\n\r\n\r\n"
                          "Criticit\xE0 presenti in RT_ITIN:\r\nr.shp\troute\r\n\r\n\r\n"),
              std::string::npos);
    EXPECT_TRUE(report.ends_with("route\r\n\r\n\r\n"));
}

TEST_F(ReportTest, ReplacesAnEarlierReport) {
    platform.memory.files[JoinPath("/out", "ReportFusione.txt")] = std::vector<std::uint8_t>(10000, 'x');
    EXPECT_EQ(workspace.WriteReport("/out"), OutputOutcome::Written);
    EXPECT_TRUE(Report().starts_with("Report unificazione ShapeFiles\r\n"));
    EXPECT_EQ(Report().size(), 132u);  // nothing of the old 10,000 bytes is left
}

}  // namespace
}  // namespace tramelo::testing
