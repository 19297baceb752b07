// Text from files as the program holds it: UTF-8. Strict UTF-8 is taken as it
// is; anything else is read as Windows-1252, the code page sheets written on
// Windows use (a superset of Latin-1 for every printable character); UTF-16
// comes in with a byte order mark. The conversions are glibc's iconv. And text
// as a terminal may be shown it, without its control characters.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace brelvik::cue {

struct Utf8Char {
  std::size_t Length = 0;  // in bytes
  char32_t CodePoint = 0;
};

// The character that starts at `at`, or nothing where the bytes there are no
// UTF-8: a stray continuation byte, a sequence cut short, an overlong form
// (C0 AF for "/"), a surrogate (ED A0 80) or a code point past U+10FFFF.
std::optional<Utf8Char> Utf8CharAt(std::string_view text, std::size_t at);

bool IsUtf8(std::string_view text);

// Windows-1252 bytes as UTF-8. The five bytes the code page leaves without a
// character (81, 8D, 8F, 90, 9D) become the code points of the same number,
// as browsers read them, so that any bytes convert, and convert back.
std::string Windows1252ToUtf8(std::string_view text);

// UTF-8 text as UTF-8 when it is, else read as Windows-1252.
std::string AsUtf8(std::string_view text);

// The Windows-1252 bytes of UTF-8 text, or nothing when a character has none.
std::optional<std::string> Utf8ToWindows1252(std::string_view text);

// The Latin-1 bytes of UTF-8 text, or nothing when a character has none.
std::optional<std::string> Utf8ToLatin1(std::string_view text);

struct Utf16Outcome {
  std::optional<std::string> Utf8;
  std::size_t BrokenAt = 0;  // the first byte that is no UTF-16, when there is one
};

// UTF-16 bytes, little- or big-endian as `littleEndian` says, as UTF-8.
Utf16Outcome Utf16ToUtf8(std::string_view bytes, bool littleEndian);

// A cue sheet's bytes as UTF-8 text with LF line ends: a byte order mark
// (UTF-8, or UTF-16 little- or big-endian) says how they are written, else
// they are UTF-8 or Windows-1252 as above; CRLF and a lone CR end lines as
// LF does. Refusal is why the bytes are no text (after the sheet's name:
// "is not a cue sheet (it holds binary data)").
struct SheetText {
  std::optional<std::string> Text;
  std::string Refusal;
};
SheetText SheetTextOf(std::string_view bytes);

// The text as a terminal shows it without taking any of it for a command: a
// control character (C0, DEL and C1) and every byte that is no UTF-8 becomes
// \xHH for each of its bytes (ESC is \x1b, U+009B is \xc2\x9b); printable
// UTF-8 stays as it is.
std::string TerminalText(std::string_view text);

}  // namespace brelvik::cue
