#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "model/RouteTable.h"
#include "tests/TableTestSupport.h"

namespace tramelo::testing {
namespace {

constexpr double kLargest = std::numeric_limits<double>::max();
constexpr double kLowest = -1.7976931348623157e308;

PolylineGeometry Adopting(const std::vector<Point>& points) {
    return PolylineGeometry(static_cast<std::int32_t>(points.size()),
                            PointArray(points.begin(), points.end()));
}

void ExpectBox(const PolylineGeometry& geometry, double minX, double minY, double maxX, double maxY) {
    EXPECT_EQ(geometry.minX, minX);
    EXPECT_EQ(geometry.minY, minY);
    EXPECT_EQ(geometry.maxX, maxX);
    EXPECT_EQ(geometry.maxY, maxY);
}

TEST(PolylineGeometryTest, EmptyBoxUntilAPointIsStored) {
    const PolylineGeometry none(0);
    EXPECT_EQ(none.pointCount(), 0);
    ExpectBox(none, kLargest, kLargest, kLowest, kLowest);
    EXPECT_EQ(PolylineGeometry::kEmptyMax, kLowest);

    // Created with a count and never filled: (0, 0) points, still an empty box.
    PolylineGeometry unfilled(3);
    double x = 1;
    double y = 1;
    EXPECT_EQ(unfilled.getPoint(2, x, y), 1);
    EXPECT_EQ(x, 0.0);
    EXPECT_EQ(y, 0.0);
    ExpectBox(unfilled, kLargest, kLargest, kLowest, kLowest);

    unfilled.setPoint(1, 5.0, -3.0);  // the first point stored sets all four
    ExpectBox(unfilled, 5.0, -3.0, 5.0, -3.0);
}

TEST(PolylineGeometryTest, BoxOfAdoptedPointsIsTheirExtent) {
    ExpectBox(Adopting({{0, 0}, {10, 0}, {10, 5}}), 0, 0, 10, 5);
    // All negative: the maxima are the largest negative values, not 0 or a start value.
    ExpectBox(Adopting({{-5, -7}, {-2, -9}, {-3, -1}}), -5, -9, -2, -1);
    ExpectBox(Adopting({{-1e300, 1e300}}), -1e300, 1e300, -1e300, 1e300);
}

TEST(PolylineGeometryTest, StoringOverAPointNeverShrinksTheBox) {
    PolylineGeometry geometry(2);
    geometry.setPoint(0, 0, 0);
    geometry.setPoint(1, 10, 10);
    geometry.setPoint(1, 1, 1);
    ExpectBox(geometry, 0, 0, 10, 10);
}

TEST(PolylineGeometryTest, OutOfRangePositionsChangeNothing) {
    PolylineGeometry geometry = Adopting({{1, 2}, {3, 4}});
    geometry.setPoint(2, 100, 100);
    geometry.setPoint(-1, -100, -100);
    ExpectBox(geometry, 1, 2, 3, 4);
    double x = 7;
    double y = 8;
    EXPECT_EQ(geometry.getPoint(-1, x, y), 0);
    EXPECT_EQ(geometry.getPoint(2, x, y), 0);
    EXPECT_EQ(x, 7);
    EXPECT_EQ(y, 8);
    EXPECT_EQ(geometry.getPoint(1, x, y), 1);
    EXPECT_EQ(x, 3);
    EXPECT_EQ(y, 4);

    const PolylineGeometry negative(-4);  // no points whatever the count says
    EXPECT_EQ(negative.pointCount(), -4);
    EXPECT_TRUE(negative.points().empty());
}

TEST(PolylineGeometryTest, EqualityIsPointByPointInOrder) {
    const std::vector<Point> route = {{0, 0}, {10, 0}, {10, 5}};
    EXPECT_TRUE(Adopting(route).equals(Adopting(route)));
    EXPECT_FALSE(Adopting(route).equals(Adopting({{10, 5}, {10, 0}, {0, 0}})));  // reversed
    EXPECT_FALSE(Adopting(route).equals(Adopting({{0, 0}, {10, 0}, {10, 5}, {10, 5}})));
    EXPECT_FALSE(Adopting(route).equals(Adopting({{0, 0}, {10, 0}, {10, std::nextafter(5.0, 6.0)}})));
    EXPECT_TRUE(Adopting({{0.0, -0.0}}).equals(Adopting({{-0.0, 0.0}})));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(Adopting({{nan, 0}}).equals(Adopting({{nan, 0}})));
    EXPECT_TRUE(PolylineGeometry(0).equals(PolylineGeometry(0)));
    EXPECT_FALSE(PolylineGeometry(0).equals(PolylineGeometry(-1)));
    // The box is not compared: a never-filled geometry equals a filled one at (0, 0).
    EXPECT_TRUE(PolylineGeometry(1).equals(Adopting({{0, 0}})));
}

TEST(RouteRecordTest, CopiesTheGeometryAndComputesItsOwnBox) {
    PolylineGeometry source(2);
    source.setPoint(0, 1, 1);
    source.setPoint(1, 9, 9);
    source.setPoint(1, 2, 2);  // the source's box still reaches 9
    const RouteRecord record("R1", "Linea 1", &source);
    ASSERT_TRUE(record.geometry);
    EXPECT_NE(&*record.geometry, &source);
    EXPECT_NE(record.geometry->points().data(), source.points().data());
    EXPECT_TRUE(record.geometry->equals(source));
    ExpectBox(*record.geometry, 1, 1, 2, 2);

    const PolylineGeometry unfilled(2);
    ExpectBox(*RouteRecord("R2", "", &unfilled).geometry, 0, 0, 0, 0);
    EXPECT_FALSE(RouteRecord("R3", "", nullptr).geometry);
}

TEST(RouteRecordTest, EqualityComparesCodeDescriptionThenGeometry) {
    const PolylineGeometry line = Adopting({{0, 0}, {1, 1}});
    const PolylineGeometry other = Adopting({{0, 0}, {1, 2}});
    const RouteRecord record("R1", "Linea", &line);
    EXPECT_TRUE(record.equals(RouteRecord("R1", "Linea", &line)));
    EXPECT_FALSE(record.equals(RouteRecord("R1 ", "Linea", &line)));
    EXPECT_FALSE(record.equals(RouteRecord("R1", "linea", &line)));
    EXPECT_FALSE(record.equals(RouteRecord("R1", "Linea", &other)));
}

class RouteTableTest : public TableTest<RouteTable> {
protected:
    void MergeFile(const std::vector<std::pair<std::string, std::vector<Point>>>& routes, const char* path,
                   const std::string& description = "Linea") {
        MergeRecords(routes, [&](const auto& route) {
            table.add(route.first, description, Adopting(route.second), issues, path);
        });
    }
};

TEST_F(RouteTableTest, RepeatsInsideAFileAreAllKept) {
    EXPECT_TRUE(table.isEmpty());
    EXPECT_EQ(table.find("R1"), nullptr);
    MergeFile({{"R1", {{0, 0}, {1, 1}}}, {"R1", {{1, 1}}}}, "a.shp");
    EXPECT_EQ(Codes(table), (std::vector<std::string>{"R1", "R1"}));
    EXPECT_TRUE(issues.routeIssues.isEmpty());
}

TEST_F(RouteTableTest, LaterRepeatsVanishOrConflictByExactPoints) {
    const std::vector<Point> line = {{0, 0}, {10, 0}, {10, 5}};
    const std::vector<Point> reversed = {{10, 5}, {10, 0}, {0, 0}};
    const std::vector<Point> longer = {{0, 0}, {10, 0}, {10, 5}, {10, 5}};
    const std::vector<Point> lastBit = {{0, 0}, {10, 0}, {10, std::nextafter(5.0, 6.0)}};
    MergeFile({{"R1", line}}, "a.shp");
    MergeFile({{"R1", line}, {"R1", reversed}, {"R1", longer}, {"R1", lastBit}}, "b.shp");

    EXPECT_EQ(Codes(table), (std::vector<std::string>{"R1"}));
    EXPECT_TRUE(issues.stopIssues.isEmpty());
    EXPECT_EQ(Entries(issues.routeIssues), std::vector<std::string>(3, "b.shp|" + Conflict("R1")));
}

TEST_F(RouteTableTest, DescriptionDifferenceIsAConflict) {
    MergeFile({{"R1", {{0, 0}}}}, "a.shp", "Linea 1");
    MergeFile({{"R1", {{0, 0}}}}, "b.shp", "Linea 1 ");
    ASSERT_FALSE(issues.routeIssues.isEmpty());
    EXPECT_EQ(issues.routeIssues.head()->sourcePath, "b.shp");
}

TEST_F(RouteTableTest, RoutesWithoutPointsAreEqualWhenTextsMatch) {
    MergeFile({{"EMPTY", {}}}, "a.shp");
    MergeFile({{"EMPTY", {}}}, "b.shp");
    EXPECT_EQ(Codes(table).size(), 1u);
    EXPECT_TRUE(issues.routeIssues.isEmpty());
}

TEST_F(RouteTableTest, TableKeepsItsOwnCopyOfAGeometryItIsLent) {
    PolylineGeometry lent = Adopting({{1, 1}, {2, 2}});
    table.add("R1", "", lent, issues, "a.shp");
    EXPECT_NE(table.head()->geometry->points().data(), lent.points().data());
    lent.setPoint(1, 5, 5);  // changing the caller's geometry leaves the table's
    EXPECT_EQ(table.head()->geometry->points()[1].x, 2.0);
}

}  // namespace
}  // namespace tramelo::testing
