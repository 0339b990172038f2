#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <string>
#include <vector>

#include "tests/ImportTestSupport.h"

namespace tramelo::testing {
namespace {

Bytes TwoPartContent() {
    Bytes content = PolylineContent({{0, 0}, {1, 1}, {2, 2}});
    SetInt32(content, 36, 2, 'L');
    return content;
}

using ImportRoutesTest = ImportTest;

TEST_F(ImportRoutesTest, MergesPointsExactlyAsRead) {
    const std::vector<Point> points = {{563347.120551, 4483842.688269}, {563350.1234567, -0.000001}};
    EXPECT_EQ(AddRoutes(RoutesShapefile({{"R1", "Linea 1", points}, {"R2", "", {}}})), AddOutcome::Acquired);
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(Codes(workspace.routeTable), (std::vector<std::string>{"R1", "R2"}));
    const RouteRecord& first = *workspace.routeTable.head();
    ASSERT_TRUE(first.geometry);
    ASSERT_EQ(first.geometry->pointCount(), 2);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(first.geometry->points()[0].x),
              std::bit_cast<std::uint64_t>(563347.120551));
    EXPECT_EQ(first.geometry->points()[1].y, -0.000001);
    EXPECT_EQ(first.geometry->minY, -0.000001);
    EXPECT_EQ(first.description, "Linea 1" + std::string(113, ' '));
    // A single part without points is a route with an empty geometry.
    ASSERT_TRUE(workspace.routeTable.tail()->geometry);
    EXPECT_EQ(workspace.routeTable.tail()->geometry->pointCount(), 0);
    EXPECT_EQ(workspace.companyCode, 7);
}

TEST_F(ImportRoutesTest, RequiredAttributesAndShapeType) {
    const FieldSpec company{"AZIENDA", 'N', 5};
    const FieldSpec code{"COD_PERC", 'C', 20};
    const FieldSpec text{"DESCR", 'C', 120};
    CheckFieldCases(
        {
            {{company, code, text}, 3, true, "standard"},
            {{{"cod_perc", 'C', 20}, {"descr", 'C', 120}, {"AZIENDA", 'N', 7, 1}}, 3, true, "any order"},
            {{company, code, {"DESCR", 'C', 121}}, 3, false, "description too wide", "campo DESCR: C(121), serve C(120)"},
            {{company, {"COD_PERC", 'C', 21}, text}, 3, false, "code too wide", "campo COD_PERC: C(21), serve C(20)"},
            {{company, {"COD_PERCOR", 'C', 20}, text}, 3, false, "COD_PERCOR", "campo COD_PERC assente"},
            {{company, {"COD_FERM", 'C', 10}, text}, 3, false, "a stop code", "campo COD_PERC assente"},
            {{company, code, text}, 1, false, "points", "forma: Point (1), serve PolyLine (3)"},
            {{company, code, text}, 5, false, "polygons", "forma: Polygon (5), serve PolyLine (3)"},
            {{company, code, text}, 13, false, "polylines with heights", "forma: PolyLineZ (13), serve PolyLine (3)"},
            {{company, code, text}, 23, false, "polylines with measures", "forma: PolyLineM (23), serve PolyLine (3)"},
        },
        /*asRoutes=*/true, kRouteMessages);
}

TEST_F(ImportRoutesTest, StopsFilePickedAsRoutesIsRefusedBeforeItsFeatures) {
    ShapefileBuilder builder(1, StopFields());
    builder.feature(NullContent(), {"9", "F1", ""});
    EXPECT_EQ(AddRoutes(builder.build()), AddOutcome::Rejected);
    EXPECT_EQ(platform.texts(), std::vector<std::string>{kRouteMessages.attributesMissing(
                                    "forma: Point (1), serve PolyLine (3); campo COD_PERC assente; campo DESCR assente")});
}

TEST_F(ImportRoutesTest, FeatureMessagesNamePositionsAndParts) {
    ShapefileBuilder builder(3, RouteFields());
    builder.feature(PolylineContent({{0, 0}}), {"7", "R0", ""})
        .feature(NullContent(), {"7", "R1", ""})
        .feature(PointContent(1, 1), {"8", "R2", ""})  // not a line, and another company
        .feature(PolylineContent({{0, 0}}), {"7", "R3", ""})
        .feature(TwoPartContent(), {"7", "R4", ""});
    EXPECT_EQ(AddRoutes(builder.build()), AddOutcome::Rejected);
    EXPECT_EQ(platform.texts(),
              (std::vector<std::string>{kRouteMessages.wrongShape(1), kRouteMessages.wrongShape(2), "l'entit\xE0 \"4\" contiene 2 polilinee",
                                        kRouteMessages.foreign("R2")}));
    ExpectUntouched();
}

TEST_F(ImportRoutesTest, PartCountsOtherThanOneAreNamed) {
    for (const std::int32_t parts : {0, -3, 7}) {
        platform.messages.clear();
        Bytes content = PolylineContent({{0, 0}, {1, 1}});
        SetInt32(content, 36, parts, 'L');
        ShapefileBuilder builder(3, RouteFields());
        builder.feature(content, {"7", "R1", ""});
        EXPECT_EQ(AddRoutes(builder.build()), AddOutcome::Rejected);
        EXPECT_EQ(platform.texts(), std::vector<std::string>{"l'entit\xE0 \"0\" contiene " +
                                                             std::to_string(parts) + " polilinee"});
    }
}

TEST_F(ImportRoutesTest, CompanyIsSharedWithStops) {
    ShapefileBytes stops;
    {
        ShapefileBuilder builder(1, StopFields());
        builder.feature(PointContent(1, 1), {"7", "F1", ""});
        stops = builder.build();
    }
    stops.install(platform.memory, "/in/RT_NODI.shp");
    ASSERT_EQ(workspace.AddStopsFile("/in/RT_NODI.shp"), AddOutcome::Acquired);
    EXPECT_EQ(AddRoutes(RoutesShapefile({{"R1", "", {{0, 0}}, 8}, {"R2 ", "", {{0, 0}}, 8}})),
              AddOutcome::Rejected);
    EXPECT_EQ(platform.texts(), (std::vector<std::string>{kRouteMessages.foreign("R1"), kRouteMessages.foreign("R2")}));
    EXPECT_TRUE(workspace.routeTable.isEmpty());
}

TEST_F(ImportRoutesTest, RoutesFirstFixTheCompanyForStops) {
    ASSERT_EQ(AddRoutes(RoutesShapefile({{"R1", "", {{0, 0}}, 8}})), AddOutcome::Acquired);
    EXPECT_EQ(workspace.companyCode, 8);
    StopsShapefile({{"F1", "Uno", 1, 1, 7}}).install(platform.memory, "/in/RT_NODI.shp");
    EXPECT_EQ(workspace.AddStopsFile("/in/RT_NODI.shp"), AddOutcome::Rejected);
    EXPECT_EQ(platform.texts(), std::vector<std::string>{"la fermata \"F1\" non appartiene all'azienda"});
}

TEST_F(ImportRoutesTest, SameRouteInTwoFilesIsADuplicateOnlyWithTheSameBits) {
    const std::vector<Point> points = {{1.123456, 2.654321}, {3.5, 4.5}};
    std::vector<Point> shifted = points;
    shifted[0].x = std::nextafter(shifted[0].x, 10.0);
    ASSERT_EQ(AddRoutes(RoutesShapefile({{"R1", "Linea", points}}), "/in/a.shp"), AddOutcome::Acquired);
    ASSERT_EQ(AddRoutes(RoutesShapefile({{"R1", "Linea", points}}), "/in/b.shp"), AddOutcome::Acquired);
    EXPECT_TRUE(workspace.issueLog.routeIssues.isEmpty());
    ASSERT_EQ(AddRoutes(RoutesShapefile({{"R1", "Linea", shifted}}), "/in/c.shp"), AddOutcome::Acquired);
    ASSERT_FALSE(workspace.issueLog.routeIssues.isEmpty());
    EXPECT_EQ(workspace.issueLog.routeIssues.head()->sourcePath, "/in/c.shp");
    EXPECT_EQ(workspace.issueLog.routeIssues.head()->message, Conflict("R1"));
    EXPECT_TRUE(workspace.issueLog.stopIssues.isEmpty());
    EXPECT_EQ(Codes(workspace.routeTable), std::vector<std::string>{"R1"});
}

// The point count is checked against the record before any array is made from it.
TEST_F(ImportRoutesTest, PolylinesShorterThanTheyClaimAreFormatErrors) {
    std::vector<Bytes> contents;
    Bytes content = PolylineContent({{0, 0}, {1, 1}});
    SetInt32(content, 40, 3, 'L');  // three points announced, two present
    contents.push_back(content);
    SetInt32(content, 40, 0x7FFFFFFF, 'L');  // billions of points announced
    contents.push_back(content);
    Bytes noPointCount = PolylineContent({{0, 0}});
    noPointCount.resize(40);
    contents.push_back(noPointCount);
    Bytes noPartIndex = PolylineContent({});
    noPartIndex.resize(44);  // no room for the part index that precedes the points
    contents.push_back(noPartIndex);
    contents.push_back(Bytes{3, 0});  // not even a shape type
    for (const Bytes& bad : contents) {
        platform.messages.clear();
        ShapefileBuilder builder(3, RouteFields());
        builder.feature(bad, {"7", "R1", ""});
        EXPECT_EQ(AddRoutes(builder.build()), AddOutcome::Rejected);
        EXPECT_EQ(platform.texts(), std::vector<std::string>{IllegalFormat(
                                        ".SHP: l'entit\xE0 \"0\" \xE8 troppo corta (" +
                                        std::to_string(bad.size()) + " byte)")});
    }
    ExpectUntouched();
}

TEST_F(ImportRoutesTest, NegativePointCountIsAnEmptyRoute) {
    Bytes content = PolylineContent({});
    SetInt32(content, 40, -5, 'L');
    ShapefileBuilder builder(3, RouteFields());
    builder.feature(content, {"7", "R1", ""});
    EXPECT_EQ(AddRoutes(builder.build()), AddOutcome::Acquired);
    EXPECT_EQ(workspace.routeTable.head()->geometry->pointCount(), 0);
}

TEST_F(ImportRoutesTest, RecordBoxAndPartIndexAreIgnored) {
    Bytes content = PolylineContent({{5, 6}, {7, 8}});
    for (std::size_t i = 4; i < 36; ++i) {
        content[i] = 0xFF;  // a NaN box
    }
    SetInt32(content, 44, 99, 'L');
    ShapefileBuilder builder(3, RouteFields());
    builder.feature(content, {"7", "R1", ""});
    EXPECT_EQ(AddRoutes(builder.build()), AddOutcome::Acquired);
    const PolylineGeometry& geometry = *workspace.routeTable.head()->geometry;
    EXPECT_EQ(geometry.minX, 5.0);
    EXPECT_EQ(geometry.maxY, 8.0);
}

}  // namespace
}  // namespace tramelo::testing
