#pragma once

// What the import fuzz targets share: one fuzz input turned into the three files of a
// shapefile, a workspace that already holds records, and the invariants every import must
// keep. A broken invariant aborts, which libFuzzer reports as a crash with its input.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/RecordingPlatform.h"
#include "tests/support/ShapefileBuilder.h"
#include "workspace/MergeWorkspace.h"

namespace tramelo::fuzzing {

// An input is [shp length: u16 LE][shx length: u16 LE][shp][shx][dbf = the rest]; lengths
// past the end are cut.
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
