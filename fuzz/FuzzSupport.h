#pragma once

// What the import fuzz targets share: one fuzz input turned into the files of a shapefile
// (the three, and a .prj and a .cpg when the input has them), a workspace that already holds
// records, and the invariants every import must keep. A broken invariant aborts, which
// libFuzzer reports as a crash with its input.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/RecordingPlatform.h"
#include "tests/support/ShapefileBuilder.h"
#include "workspace/MergeWorkspace.h"

namespace tramelo::fuzzing {

// An input is [companions: u8][shp, shx, dbf lengths: u16 LE each][prj length: u8]
// [shp][shx][dbf][prj][cpg = the rest]; bit 0 of the first byte says whether there is a .prj,
// bit 1 whether there is a .cpg. Lengths past the end are cut.
testing::ShapefileBytes SplitInput(const std::uint8_t* data, std::size_t size);
std::vector<std::uint8_t> JoinInput(const testing::ShapefileBytes& files);

// Aborts with a message when condition is false.
void Check(bool condition, const char* what);

// Everything a workspace holds, as text: two workspaces with the same description hold the
// same state.
std::string Describe(const MergeWorkspace& workspace);

enum class Kind { Stops, Routes };

// Imports files as one kind into a workspace that already holds stops and routes of
// company 7 (and a conflict), and checks: the result is 1 or 0; on 0 nothing changed; on 1
// every new record came from the files; and whatever was merged, once exported, reads
// back as the same records.
void RunImport(Kind kind, const testing::ShapefileBytes& files);

}  // namespace tramelo::fuzzing
