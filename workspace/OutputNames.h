#pragma once

// The names of the files a finished merge may write into its output folder, for the exports
// that create them and for a shell that asks before replacing an earlier run's outputs.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "workspace/DatasetSchema.h"

namespace tramelo {

inline constexpr std::string_view kReportFileName = "ReportFusione.txt";
inline constexpr std::string_view kConflictsFileName = "ReportFusione.csv";
// The table's column types, as GDAL and QGIS look for them beside it.
inline constexpr std::string_view kConflictTypesFileName = "ReportFusione.csvt";
// Of each dataset; its .PRJ only when the run's coordinate system is known.
inline constexpr std::array<std::string_view, 5> kDatasetExtensions = {"SHP", "SHX", "DBF", "CPG", "PRJ"};

// The report and its table with its types, then each dataset's files, in the order Finish writes them.
inline std::vector<std::string> OutputNames() {
    std::vector<std::string> names{std::string(kReportFileName), std::string(kConflictsFileName),
                                   std::string(kConflictTypesFileName)};
    for (const DatasetSchema* schema : {&kStopsSchema, &kRoutesSchema}) {
        for (std::string_view extension : kDatasetExtensions) {
            names.push_back(std::string(schema->baseName).append(".").append(extension));
        }
    }
    return names;
}

}  // namespace tramelo
