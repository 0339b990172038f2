#pragma once

// The report and its table of conflicts, with the table's column types for GIS programs,
// written under their temporary names for Finish to put in place with the datasets.

#include <optional>
#include <string>

#include "export/OutputSet.h"
#include "export/OutputSteps.h"

namespace tramelo {

class FileSystem;
class MergeWorkspace;

// Writes and completes the three files; set then holds them. On failure, the result names the
// file and set is empty (its temporaries gone).
OutputResult PrepareReport(const MergeWorkspace& workspace, FileSystem& files, const std::string& folder,
                           std::optional<OutputSet>& set);

}  // namespace tramelo
