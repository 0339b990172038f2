#pragma once

// The seven files a finished merge writes, and the stand-ins of an earlier merge's outputs
// that the tests put in a folder before writing over it.

#include <cstdint>
#include <string>
#include <vector>

namespace tramelo::testing {

// In the order Finish writes them.
inline const std::vector<std::string> kOutputNames = {"ReportFusione.txt", "RT_NODI.SHP", "RT_NODI.SHX",
                                                      "RT_NODI.DBF",       "RT_ITIN.SHP", "RT_ITIN.SHX",
                                                      "RT_ITIN.DBF"};

// An earlier output: its own name as its bytes, so that it is recognised wherever it ends up.
inline std::vector<std::uint8_t> EarlierOutput(const std::string& name) {
    return std::vector<std::uint8_t>(name.begin(), name.end());
}

}  // namespace tramelo::testing
