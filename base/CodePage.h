#pragma once

// Code page 1252, the code page of every text the data files and the report hold, to and
// from UTF-8, the encoding of paths and of what the shells show.
//
// Code page 1252 is Latin-1 but for 0x80-0x9F, where it places 27 characters (the euro
// sign, curly quotes, dashes, ...) and leaves five positions (0x81, 0x8D, 0x8F, 0x90, 0x9D)
// unassigned. UTF-8 here is strict: no overlong forms, no surrogates, nothing past U+10FFFF.

#include <cstdint>
#include <string>
#include <string_view>

namespace tramelo {

// Every byte as the character it stands for; an unassigned byte shows as U+FFFD.
std::string Cp1252ToUtf8(std::string_view cp1252);

// The UTF-8 text in code page 1252, into out; false (out then undefined) when the text is
// not valid UTF-8 or holds a character that code page 1252 lacks.
bool Utf8ToCp1252(std::string_view utf8, std::string& out);

// The same, never failing: every byte that is not valid UTF-8, and every character that
// code page 1252 lacks, becomes '?'.
std::string Utf8ToCp1252Lossy(std::string_view utf8);

// The code pages an input's texts may be declared in.
enum class CodePage {
    Undeclared,  // no name at all: an empty .cpg, or a language driver of 0
    Cp1252,      // code page 1252, or one it holds (ISO-8859-1): the bytes as they stand
    Utf8,
    // Single-byte code pages, converted byte for byte.
    Iso8859_15,
    Iso8859_2,
    Cp437,
    Cp850,
    Cp852,
    Cp1250,
    Unknown,  // a name or a language driver that none of the above answers to
};

// The code page a .cpg names, whatever the letter case and with white space, '-' and '_'
// left out: "UTF-8", "CP850", "ISO 8859-15", "latin2", ...
CodePage CodePageNamed(std::string_view cpg);

// The code page a .DBF's language driver (byte 29 of its header) stands for.
CodePage CodePageOfLanguageDriver(std::uint8_t languageDriver);

// Whether page is one of the single-byte code pages converted byte for byte.
bool IsSingleByte(CodePage page);

// The text of a single-byte code page in code page 1252, into out, of the same length; false
// (out then undefined) when it holds a character code page 1252 lacks. Any other page is
// taken as code page 1252: the text as it stands.
bool SingleByteToCp1252(CodePage page, std::string_view text, std::string& out);

// The same, never failing: every character that code page 1252 lacks becomes '?'.
std::string SingleByteToCp1252Lossy(CodePage page, std::string_view text);

// text with every control character (0x00-0x1F, 0x7F) replaced by '?': a path as a line of
// the report or of a terminal shows it, where a line break or an escape would forge a line
// or drive the terminal.
std::string WithoutControlCharacters(std::string_view text);

}  // namespace tramelo
