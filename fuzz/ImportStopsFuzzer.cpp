// Feeds one fuzz input, as the three files of a stops shapefile, to the stops import.

#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tramelo::fuzzing;
    RunImport(Kind::Stops, SplitInput(data, size));
    return 0;
}
