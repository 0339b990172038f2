// Parses arbitrary bytes as a .prj and checks that the comparison of coordinate systems is
// reflexive and symmetric, whatever the bytes, and agrees with the parse on the kind.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/FuzzSupport.h"
#include "import/CoordinateSystem.h"

namespace {

using namespace tramelo;
using fuzzing::Check;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::optional<CoordinateSystem> parsed = CoordinateSystem::Parse(text);
    const bool geographic = IsGeographicCoordinateSystem(text);
    if (parsed) {
        Check(parsed->sameAs(*parsed), "a parsed system is itself");
        Check(geographic == !parsed->projected, "geographic is the parsed kind");
    }
    Check(SameCoordinateSystem(text, text), "a text is the same as itself");
    if (!text.starts_with(kByteOrderMark)) {
        const std::string marked = std::string(kByteOrderMark) + " " + std::string(text) + "\r\n";
        Check(SameCoordinateSystem(text, marked), "a byte-order mark and white space change nothing");
        Check(IsGeographicCoordinateSystem(marked) == geographic, "nor the kind");
    }
    const std::string_view first = text.substr(0, size / 2);
    const std::string_view second = text.substr(size / 2);
    Check(SameCoordinateSystem(first, second) == SameCoordinateSystem(second, first), "symmetric");
    return 0;
}
