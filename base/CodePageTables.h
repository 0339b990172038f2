#pragma once

// The upper halves (bytes 0x80-0xFF) of the single-byte code pages read besides 1252: the
// character of each byte, U+FFFD where the code page assigns none. Their lower halves are
// ASCII. Every character lies in the Basic Multilingual Plane.

namespace tramelo {

extern const char16_t kIso8859_15High[128];
extern const char16_t kIso8859_2High[128];
extern const char16_t kCp437High[128];
extern const char16_t kCp850High[128];
extern const char16_t kCp852High[128];
extern const char16_t kCp1250High[128];

}  // namespace tramelo
