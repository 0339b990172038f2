#pragma once

// The files a finished merge writes, and the stand-ins of an earlier merge's outputs that
// the tests put in a folder before writing over it.

#include <cstdint>
#include <string>
#include <vector>

namespace tramelo::testing {

// The seven outputs that other systems read byte for byte, in the order Finish writes them.
inline const std::vector<std::string> kOutputNames = {"ReportFusione.txt", "RT_NODI.SHP", "RT_NODI.SHX",
                                                      "RT_NODI.DBF",       "RT_ITIN.SHP", "RT_ITIN.SHX",
                                                      "RT_ITIN.DBF"};

// Everything Finish writes in a run with one coordinate system, set by set in its order:
// each set replaces the earlier one whole.
inline const std::vector<std::vector<std::string>> kOutputSets = {
    {"ReportFusione.txt", "ReportFusione.csv", "ReportFusione.csvt"},
    {"RT_NODI.SHP", "RT_NODI.SHX", "RT_NODI.DBF", "RT_NODI.CPG", "RT_NODI.PRJ"},
    {"RT_ITIN.SHP", "RT_ITIN.SHX", "RT_ITIN.DBF", "RT_ITIN.CPG", "RT_ITIN.PRJ"},
};

inline std::vector<std::string> AllOutputNames() {
    std::vector<std::string> names;
    for (const auto& set : kOutputSets) {
        names.insert(names.end(), set.begin(), set.end());
    }
    return names;
}

// The output a temporary file stands for: its path without the run's digits and ".partial".
inline std::string TargetOf(const std::string& path) {
    constexpr std::size_t kSuffix = 1 + 16 + 8;  // ".", the run's digits, ".partial"
    return path.ends_with(".partial") && path.size() > kSuffix ? path.substr(0, path.size() - kSuffix) : path;
}

// An earlier output: its own name as its bytes, so that it is recognised wherever it ends up.
inline std::vector<std::uint8_t> EarlierOutput(const std::string& name) {
    return std::vector<std::uint8_t>(name.begin(), name.end());
}

}  // namespace tramelo::testing
