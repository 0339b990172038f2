#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "export/DatasetWriter.h"
#include "tests/support/RecordingPlatform.h"
#include "workspace/DatasetSchema.h"
#include "tests/support/ShapefileBuilder.h"
#include "tests/support/TestPaths.h"
#include "workspace/MergeWorkspace.h"

namespace tramelo::testing {
namespace {

constexpr double kLargest = std::numeric_limits<double>::max();
constexpr double kSmallestNormal = 2.2250738585072014e-308;

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

Bytes Descriptor(const std::string& name, char type, std::uint8_t length) {
    Bytes bytes(32, 0);
    std::copy(name.begin(), name.end(), bytes.begin());
    bytes[11] = static_cast<std::uint8_t>(type);
    bytes[16] = length;
    return bytes;
}

class ExportTest : public ::testing::Test {
protected:
    ExportTest() : workspace(platform) { workspace.companyCode = 7; }

    void AddStop(const std::string& code, const std::string& name, double x, double y) {
        workspace.stopTable.add(code, name, x, y, workspace.issueLog, "in.shp");
    }
    void AddRoute(const std::string& code, const std::string& description, std::vector<Point> points) {
        const auto n = static_cast<std::int32_t>(points.size());
        workspace.routeTable.add(code, description,
                                 PolylineGeometry(n, PointArray(points.begin(), points.end())),
                                 workspace.issueLog, "in.shp");
    }
    const Bytes& Out(const std::string& name) const { return platform.memory.bytes(JoinPath("/out", name)); }

    void ExpectHeader(const Bytes& file, std::int32_t lengthWords, std::int32_t shapeType, double xMin,
                      double yMin, double xMax, double yMax) const {
        ASSERT_GE(file.size(), 100u);
        EXPECT_EQ(Bytes(file.begin(), file.begin() + 4), (Bytes{0x00, 0x00, 0x27, 0x0A}));
        EXPECT_EQ(Bytes(file.begin() + 4, file.begin() + 24), Bytes(20, 0));
        EXPECT_EQ(Int32At(file, 24, 'B'), lengthWords);
        EXPECT_EQ(static_cast<std::int64_t>(file.size()), 2 * std::int64_t{lengthWords});
        EXPECT_EQ(Int32At(file, 28, 'L'), 1000);
        EXPECT_EQ(Int32At(file, 32, 'L'), shapeType);
        EXPECT_EQ(DoubleAt(file, 36), xMin);
        EXPECT_EQ(DoubleAt(file, 44), yMin);
        EXPECT_EQ(DoubleAt(file, 52), xMax);
        EXPECT_EQ(DoubleAt(file, 60), yMax);
        EXPECT_EQ(Bytes(file.begin() + 68, file.begin() + 100), Bytes(32, 0));
    }

    RecordingPlatform platform;
    MergeWorkspace workspace;
};

TEST_F(ExportTest, EmptyStopTableStillWritesThreeFiles) {
    EXPECT_EQ(workspace.ExportStops("/out"), OutputOutcome::Written);
    EXPECT_EQ(platform.messages,
              (std::vector<RecordedMessage>{{MessageKind::Information, "Sono state esportate 0 fermate"}}));
    ExpectHeader(Out("RT_NODI.SHP"), 50, 1, kLargest, kLargest, kSmallestNormal, kSmallestNormal);
    ExpectHeader(Out("RT_NODI.SHX"), 50, 1, kLargest, kLargest, kSmallestNormal, kSmallestNormal);
    EXPECT_EQ(Out("RT_NODI.DBF"),
              Concat({Bytes{0x03, 0x7E, 0x0C, 0x06, 0, 0, 0, 0, 0x81, 0x00, 0x38, 0x00}, Bytes(20, 0),
                      Descriptor("AZIENDA", 'N', 5), Descriptor("COD_FERM", 'C', 10),
                      Descriptor("DENOM", 'C', 40), Bytes{0x0D, 0x1A}}));
    EXPECT_EQ(Out("RT_NODI.DBF").size(), 130u);
}

TEST_F(ExportTest, OneStopMakesTheKnownFiles) {
    AddStop("F12", "Piazza", 10.5, 20.25);
    EXPECT_EQ(workspace.ExportStops("/out"), OutputOutcome::Written);
    EXPECT_EQ(platform.texts(), std::vector<std::string>{"Sono state esportate 1 fermate"});

    const Bytes& shp = Out("RT_NODI.SHP");
    ASSERT_EQ(shp.size(), 128u);
    ExpectHeader(shp, 64, 1, 10.5, 20.25, 10.5, 20.25);
    EXPECT_EQ(Bytes(shp.begin() + 100, shp.begin() + 112), (Bytes{0, 0, 0, 1, 0, 0, 0, 10, 1, 0, 0, 0}));
    EXPECT_EQ(DoubleAt(shp, 112), 10.5);
    EXPECT_EQ(DoubleAt(shp, 120), 20.25);

    const Bytes& shx = Out("RT_NODI.SHX");
    ASSERT_EQ(shx.size(), 108u);
    ExpectHeader(shx, 54, 1, 10.5, 20.25, 10.5, 20.25);
    EXPECT_EQ(Bytes(shx.begin() + 100, shx.end()), (Bytes{0, 0, 0, 50, 0, 0, 0, 10}));

    const Bytes& dbf = Out("RT_NODI.DBF");
    ASSERT_EQ(dbf.size(), 129u + 56u + 1u);
    EXPECT_EQ(Int32At(dbf, 4, 'L'), 1);
    EXPECT_EQ(TextAt(dbf, 129, 56), " 7    F12       Piazza" + std::string(34, ' '));
    EXPECT_EQ(dbf.back(), 0x1A);
}

TEST_F(ExportTest, StopsKeepAcceptanceOrderAndWidenTheBox) {
    AddStop("Z", "", -5, -7);
    AddStop("A", "", -2, -9);
    AddStop("M", "", -3, -1);
    EXPECT_EQ(workspace.ExportStops("/out"), OutputOutcome::Written);
    const Bytes& shp = Out("RT_NODI.SHP");
    const Bytes& shx = Out("RT_NODI.SHX");
    ExpectHeader(shp, 92, 1, -5, -9, -2, -1);  // all negative: Xmax is the greatest of them
    ExpectHeader(shx, 62, 1, -5, -9, -2, -1);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Int32At(shx, 100 + 8 * i, 'B'), 50 + 14 * i);
        EXPECT_EQ(Int32At(shx, 104 + 8 * i, 'B'), 10);
        EXPECT_EQ(Int32At(shp, 100 + 28 * i, 'B'), i + 1);
    }
    const Bytes& dbf = Out("RT_NODI.DBF");
    EXPECT_EQ(TextAt(dbf, 129 + 6, 1) + TextAt(dbf, 129 + 56 + 6, 1) + TextAt(dbf, 129 + 112 + 6, 1), "ZAM");
}

TEST_F(ExportTest, CompanyAndTextsAreLeftAlignedAndCut) {
    workspace.companyCode = -12;
    AddStop("ABCDEFGHIJKL", std::string(45, 'n'), 0, 0);  // longer than their fields
    EXPECT_EQ(workspace.ExportStops("/out"), OutputOutcome::Written);
    EXPECT_EQ(TextAt(Out("RT_NODI.DBF"), 129, 56), " -12  ABCDEFGHIJ" + std::string(40, 'n'));

    workspace.companyCode = 123456;
    EXPECT_EQ(workspace.ExportStops("/out"), OutputOutcome::Written);
    EXPECT_EQ(TextAt(Out("RT_NODI.DBF"), 129, 6), " 12345");
    // The bytes of texts pass unchanged, whatever their code page.
    workspace.stopTable.add("\xE0\x80", "citt\xE0", 0, 0, workspace.issueLog, "in.shp");
    EXPECT_EQ(workspace.ExportStops("/out"), OutputOutcome::Written);
    EXPECT_EQ(TextAt(Out("RT_NODI.DBF"), 129 + 56 + 6, 2), "\xE0\x80");
    EXPECT_EQ(TextAt(Out("RT_NODI.DBF"), 129 + 56 + 16, 5), "citt\xE0");
}

TEST_F(ExportTest, RoutesOfThreeAndTwoPoints) {
    AddRoute("R1", "Linea 1", {{0, 0}, {10, 0}, {10, 5}});
    EXPECT_EQ(workspace.ExportRoutes("/out"), OutputOutcome::Written);
    EXPECT_EQ(platform.texts(), std::vector<std::string>{"Sono stati esportati 1 percorsi"});
    {
        const Bytes& shp = Out("RT_ITIN.SHP");
        ASSERT_EQ(shp.size(), 204u);
        ExpectHeader(shp, 102, 3, 0, 0, 10, 5);
        EXPECT_EQ(Int32At(shp, 100, 'B'), 1);
        EXPECT_EQ(Int32At(shp, 104, 'B'), 48);
        EXPECT_EQ(Int32At(shp, 108, 'L'), 3);
        EXPECT_EQ(DoubleAt(shp, 112), 0);
        EXPECT_EQ(DoubleAt(shp, 120), 0);
        EXPECT_EQ(DoubleAt(shp, 128), 10);
        EXPECT_EQ(DoubleAt(shp, 136), 5);
        EXPECT_EQ(Int32At(shp, 144, 'L'), 1);
        EXPECT_EQ(Int32At(shp, 148, 'L'), 3);
        EXPECT_EQ(Int32At(shp, 152, 'L'), 0);
        EXPECT_EQ(DoubleAt(shp, 156 + 16 * 2), 10);
        EXPECT_EQ(DoubleAt(shp, 156 + 16 * 2 + 8), 5);
        EXPECT_EQ(Bytes(Out("RT_ITIN.SHX").begin() + 100, Out("RT_ITIN.SHX").end()),
                  (Bytes{0, 0, 0, 50, 0, 0, 0, 48}));
    }

    AddRoute("R2", "", {{-1, 20}, {3, 4}});
    EXPECT_EQ(workspace.ExportRoutes("/out"), OutputOutcome::Written);
    const Bytes& shp = Out("RT_ITIN.SHP");
    ExpectHeader(shp, 146, 3, -1, 0, 10, 20);
    EXPECT_EQ(Int32At(shp, 204, 'B'), 2);
    EXPECT_EQ(Int32At(shp, 208, 'B'), 40);
    const Bytes& shx = Out("RT_ITIN.SHX");
    ExpectHeader(shx, 58, 3, -1, 0, 10, 20);
    EXPECT_EQ(Int32At(shx, 108, 'B'), 102);
    EXPECT_EQ(Int32At(shx, 112, 'B'), 40);

    const Bytes& dbf = Out("RT_ITIN.DBF");
    ASSERT_EQ(dbf.size(), 129u + 2 * 146u + 1u);
    EXPECT_EQ(Bytes(dbf.begin() + 8, dbf.begin() + 12), (Bytes{0x81, 0x00, 0x92, 0x00}));
    EXPECT_EQ(Concat({Bytes(dbf.begin() + 32, dbf.begin() + 128), Bytes{dbf[128]}}),
              Concat({Descriptor("AZIENDA", 'N', 5), Descriptor("COD_PERC", 'C', 20),
                      Descriptor("DESCR", 'C', 120), Bytes{0x0D}}));
    EXPECT_EQ(TextAt(dbf, 129, 146), " 7    R1" + std::string(18, ' ') + "Linea 1" + std::string(113, ' '));
}

TEST_F(ExportTest, RouteWithoutPointsCarriesTheEmptyBox) {
    AddRoute("R0", "", {});
    EXPECT_EQ(workspace.ExportRoutes("/out"), OutputOutcome::Written);
    const Bytes& shp = Out("RT_ITIN.SHP");
    ASSERT_EQ(shp.size(), 100u + 56u);
    EXPECT_EQ(Int32At(shp, 104, 'B'), 24);
    EXPECT_EQ(Int32At(shp, 148, 'L'), 0);
    const double lowest = std::numeric_limits<double>::lowest();
    EXPECT_EQ(DoubleAt(shp, 112), kLargest);
    EXPECT_EQ(DoubleAt(shp, 128), lowest);
    ExpectHeader(shp, 78, 3, kLargest, kLargest, lowest, lowest);
}

TEST_F(ExportTest, LongRoutesAroundTheScratchBufferSize) {
    for (const int n : {4092, 4093, 9000, 3}) {  // the last after larger ones: no stale bytes
        std::vector<Point> points;
        for (int i = 0; i < n; ++i) {
            points.push_back({static_cast<double>(i), static_cast<double>(n - i)});
        }
        AddRoute("R" + std::to_string(n), "", points);
    }
    EXPECT_EQ(workspace.ExportRoutes("/out"), OutputOutcome::Written);
    const Bytes& shp = Out("RT_ITIN.SHP");
    const Bytes& shx = Out("RT_ITIN.SHX");
    std::size_t offset = 100;
    std::size_t entry = 100;
    for (const int n : {4092, 4093, 9000, 3}) {
        EXPECT_EQ(Int32At(shx, entry, 'B'), static_cast<std::int32_t>(offset / 2));
        EXPECT_EQ(Int32At(shx, entry + 4, 'B'), 24 + 8 * n);
        entry += 8;
        EXPECT_EQ(Int32At(shp, offset + 4, 'B'), 24 + 8 * n);
        EXPECT_EQ(Int32At(shp, offset + 48, 'L'), n);
        const std::size_t last = offset + 8 + 48 + 16 * static_cast<std::size_t>(n - 1);
        EXPECT_EQ(DoubleAt(shp, last), n - 1.0);
        EXPECT_EQ(DoubleAt(shp, last + 8), 1.0);
        offset += 8 + 48 + 16 * static_cast<std::size_t>(n);
    }
    EXPECT_EQ(offset, shp.size());
}

TEST_F(ExportTest, CodesAndDescriptionsFillTheirFieldsExactly) {
    AddRoute(std::string(20, 'C'), std::string(120, 'D'), {{0, 0}});
    EXPECT_EQ(workspace.ExportRoutes("/out"), OutputOutcome::Written);
    EXPECT_EQ(TextAt(Out("RT_ITIN.DBF"), 129 + 6, 140), std::string(20, 'C') + std::string(120, 'D'));
}

TEST_F(ExportTest, DateIsTheLocalDateOfTheExport) {
    platform.date = {2030, 1, 31};
    EXPECT_EQ(workspace.ExportRoutes("/out"), OutputOutcome::Written);
    EXPECT_EQ(Bytes(Out("RT_ITIN.DBF").begin(), Out("RT_ITIN.DBF").begin() + 4), (Bytes{0x03, 130, 1, 31}));
}

TEST(DatasetWriterTest, RefusesAShpPastThirtyTwoBitOffsets) {
    MemoryFileSystem memory;
    DatasetWriter writer(memory, Native("/out"), kStopsSchema, 7, 50 + 2 * 14);
    writer.start();
    const auto point = [](std::uint8_t*) {};
    writer.writeFeature("A", "", {}, 20, point);
    writer.writeFeature("B", "", {}, 20, point);
    try {
        writer.writeFeature("C", "", {}, 20, point);
        ADD_FAILURE() << "a third record would pass the limit";
    } catch (const FileError& error) {
        EXPECT_EQ(error.path(), JoinPath(Native("/out"), "RT_NODI.SHP"));
    }
}

}  // namespace
}  // namespace tramelo::testing
