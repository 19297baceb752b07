// The quoting of every name and text the command line prints, and the
// conversions of text that is no UTF-8: whatever the bytes, the quoted text
// holds no control character and is UTF-8, printable UTF-8 passes unchanged
// (so quoting twice changes nothing), and Windows-1252 text converts to UTF-8
// and back to the same bytes.
#include <string>
#include <string_view>

#include "FuzzChecks.h"
#include "cue/TextEncoding.h"

namespace {

using brelvik::cue::Utf8CharAt;

bool IsControl(char32_t code) {
  return code < 0x20 || (code >= 0x7F && code <= 0x9F);
}

bool IsPrintableUtf8(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    const auto next = Utf8CharAt(text, at);
    if (!next || IsControl(next->CodePoint)) {
      return false;
    }
    at += next->Length;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace brelvik;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::string shown = cue::TerminalText(text);
  fuzz::Check(IsPrintableUtf8(shown));
  fuzz::Check(shown.size() >= text.size());
  fuzz::Check(cue::TerminalText(shown) == shown);
  fuzz::Check(!IsPrintableUtf8(text) || shown == text);

  const std::string utf8 = cue::AsUtf8(text);
  fuzz::Check(cue::IsUtf8(utf8));
  fuzz::Check(!cue::IsUtf8(text) || utf8 == text);
  fuzz::Check(cue::Utf8ToWindows1252(cue::Windows1252ToUtf8(text)) == std::string(text));
  return 0;
}
