// SameCoordinateSystem against GDAL's judgement (OGRSpatialReference::IsSame) on the .prj
// texts that GDAL writes for a corpus of EPSG systems, in the OGC, ESRI and pretty forms
// (tests/crs/make_corpus.py).

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "import/CoordinateSystem.h"
#include "tests/support/TestPaths.h"

namespace tramelo {
namespace {

using testing::Lines;
using testing::ReadFile;

TEST(CoordinateSystemGdalTest, AgreesWithGdalOnEveryPair) {
    if (std::system("/usr/bin/python3 -c 'from osgeo import osr' 2>/dev/null") != 0) {
        GTEST_SKIP() << "python3-gdal is not installed";
    }
    const testing::TemporaryFolder folder("crs");
    const std::string command =
        std::string("/usr/bin/python3 ") + TRAMELO_CRS_CORPUS_SCRIPT + " '" + folder.path().string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const std::vector<std::string> names = Lines(ReadFile(folder.path() / "index.txt"));
    const std::vector<std::string> same = Lines(ReadFile(folder.path() / "same.txt"));
    ASSERT_GT(names.size(), 60u);
    ASSERT_EQ(same.size(), names.size());
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < names.size(); ++i) {
        texts.push_back(ReadFile(folder.path() / (std::to_string(i) + ".prj")));
        EXPECT_TRUE(CoordinateSystem::Parse(texts.back()).has_value()) << names[i];
    }
    int falseWarnings = 0;
    int missedDifferences = 0;
    int gdalSame = 0;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        ASSERT_EQ(same[i].size(), texts.size());
        for (std::size_t j = 0; j < texts.size(); ++j) {
            const bool gdal = same[i][j] == '1';
            const bool ours = SameCoordinateSystem(texts[i], texts[j]);
            gdalSame += gdal;
            falseWarnings += gdal && !ours;
            missedDifferences += !gdal && ours;
            EXPECT_EQ(ours, gdal) << names[i] << " against " << names[j] << "\n"
                                  << texts[i] << "\n"
                                  << texts[j];
        }
    }
    std::printf(
        "%zu texts, %zu ordered pairs (%d the same for GDAL): %d false warnings, %d missed differences\n",
        texts.size(), texts.size() * texts.size(), gdalSame, falseWarnings, missedDifferences);
}

}  // namespace
}  // namespace tramelo
