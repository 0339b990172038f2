#include <gtest/gtest.h>

#include <string>
#include <vector>

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
// becomes '?', as does a control character.
TEST_F(ReportTest, ListsFilesAndStopIssues) {
    workspace.acquiredStops.append("C:\\dati\\A\\RT_NODI.shp");
    workspace.acquiredStops.append("/dati/citt\xC3\xA0 nuova/B.shp");
    workspace.acquiredStops.append(
        "/\xC5\x81\xC3\xB3"
        "d\xC5\xBE \xE2\x82\xAC/\xFF.shp");
    workspace.acquiredStops.append("/a\r\nb\x1B\x7F.shp");  // no path may forge a line of its own
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
              "/a??b??.shp\r\n"
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

// One row per conflict, stops first: the file that kept the record, the file whose record
// was dropped, what differs and both values of it, and always the kept record's position
// (a route's first point, none for a route of no points), so that every row has a point.
// Texts in UTF-8 without their padding, quoted where they hold a comma or a quote; CR LF
// after every row. Beside it, the types GIS programs read the columns as.
TEST_F(ReportTest, ConflictsTableHoldsWhatDiffers) {
    IssueLog& log = workspace.issueLog;
    workspace.stopTable.add("F1", "Uno  ", 10.5, 20.25, log, "/a/RT_NODI.shp");
    workspace.stopTable.rebuildIndex();
    workspace.stopTable.add("F1", "Citt\xE0, \"bis\"  ", 10.5, 20.25, log, "/b/RT_NODI.shp");
    workspace.stopTable.add("F1", "Uno  ", 13.5, 20.25, log, "/c/RT_NODI.shp");
    const auto route = [](std::vector<Point> points) {
        return PolylineGeometry(static_cast<std::int32_t>(points.size()),
                                PointArray(points.begin(), points.end()));
    };
    workspace.routeTable.add("R1", "Linea", route({{0, 0}, {1, 1}, {2, 2}}), log, "/a/RT_ITIN.shp");
    workspace.routeTable.add("R2", "Vuota", route({}), log, "/a/RT_ITIN.shp");
    workspace.routeTable.rebuildIndex();
    workspace.routeTable.add("R1", "Linea", route({{0, 0}, {1, 1.5}, {2, 2.5}}), log, "/b/RT_ITIN.shp");
    workspace.routeTable.add("R1", "Altra", route({{5, 0}}), log, "/b/RT_ITIN.shp");
    workspace.routeTable.add("R2", "Vuota", route({{7, 8}}), log, "/b/RT_ITIN.shp");
    EXPECT_EQ(workspace.WriteReport("/out"), OutputOutcome::Written);
    EXPECT_EQ(
        platform.memory.text(JoinPath("/out", "ReportFusione.csv")),
        "dataset,code,kept_file,dropped_file,differs,kept_text,dropped_text,kept_x,dropped_x,kept_y,"
        "dropped_y,kept_points,dropped_points,first_different_point,distance,kept_point_x,kept_point_y,"
        "dropped_point_x,dropped_point_y\r\n"
        "RT_NODI,F1,/a/RT_NODI.shp,/b/RT_NODI.shp,name,Uno,\"Citt\xC3\xA0, "
        "\"\"bis\"\"\",10.5,,20.25,,,,,0.000,,,,\r\n"
        "RT_NODI,F1,/a/RT_NODI.shp,/c/RT_NODI.shp,x,,,10.5,13.5,20.25,20.25,,,,3.000,,,,\r\n"
        "RT_ITIN,R1,/a/RT_ITIN.shp,/b/RT_ITIN.shp,point,,,0,,0,,,,1,,1,1,1,1.5\r\n"
        "RT_ITIN,R1,/a/RT_ITIN.shp,/b/RT_ITIN.shp,description;point count,Linea,Altra,0,5,0,0,3,1,,,,,,\r\n"
        "RT_ITIN,R2,/a/RT_ITIN.shp,/b/RT_ITIN.shp,point count,,,,7,,8,0,1,,,,,,\r\n");
    EXPECT_EQ(
        platform.memory.text(JoinPath("/out", "ReportFusione.csvt")),
        "\"String\",\"String\",\"String\",\"String\",\"String\",\"String\",\"String\",\"Real\",\"Real\","
        "\"Real\",\"Real\",\"Integer\",\"Integer\",\"Integer\",\"Real\",\"Real\",\"Real\",\"Real\","
        "\"Real\"\r\n");
    // With no conflict, the header alone.
    MergeWorkspace empty(platform);
    EXPECT_EQ(empty.WriteReport("/empty"), OutputOutcome::Written);
    EXPECT_EQ(platform.memory.text(JoinPath("/empty", "ReportFusione.csv")).find("\r\n"),
              platform.memory.text(JoinPath("/empty", "ReportFusione.csv")).size() - 2);
}

}  // namespace
}  // namespace tramelo::testing
