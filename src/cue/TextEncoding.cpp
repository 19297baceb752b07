#include "cue/TextEncoding.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <functional>

namespace brelvik::cue {
namespace {

// The bytes Windows-1252 leaves without a character.
bool IsUndefinedIn1252(char32_t code) {
  return code == 0x81 || code == 0x8D || code == 0x8F || code == 0x90 || code == 0x9D;
}

struct Converted {
  std::optional<std::string> Text;
  std::size_t StoppedAt = 0;  // where the input could not be converted
};

// Where iconv stops at bytes it cannot convert, a mend may append what they
// stand for and say how many bytes that was (0: they cannot be mended).
using Mend = std::function<std::size_t(std::string_view rest, std::string& out)>;

class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(::iconv_open(to, from)) {}
  ~Iconv() {
    if (IsOpen()) {
      ::iconv_close(cd_);
    }
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;

  bool IsOpen() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  Converted Convert(std::string_view input, const Mend& mend) {
    if (!IsOpen()) {
      return {};
    }
    std::string in(input);  // iconv takes its input through a char**
    std::string out;
    std::array<char, 4096> buffer{};
    std::size_t at = 0;
    while (at < in.size()) {
      char* from = in.data() + at;
      std::size_t left = in.size() - at;
      char* to = buffer.data();
      std::size_t room = buffer.size();
      const std::size_t result = ::iconv(cd_, &from, &left, &to, &room);
      const int error = errno;
      out.append(buffer.data(), static_cast<std::size_t>(to - buffer.data()));
      at = static_cast<std::size_t>(from - in.data());
      if (result != static_cast<std::size_t>(-1) || error == E2BIG) {
        continue;
      }
      const std::size_t mended = mend ? mend(std::string_view(in).substr(at), out) : 0;
      if (mended == 0) {
        return {std::nullopt, at};
      }
      at += mended;
    }
    return {out, 0};
  }

 private:
  iconv_t cd_;
};

Converted Convert(const char* to, const char* from, std::string_view text, const Mend& mend = {}) {
  Iconv converter(to, from);
  return converter.Convert(text, mend);
}

// LF for CRLF and for a lone CR, as old Mac sheets end their lines.
std::string WithLfLineEnds(std::string_view text) {
  std::string lf;
  lf.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r') {
      lf.push_back(text[i]);
    } else if (i + 1 == text.size() || text[i + 1] != '\n') {
      lf.push_back('\n');
    }
  }
  return lf;
}

}  // namespace

std::optional<Utf8Char> Utf8CharAt(std::string_view text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text.at(at));
  if (lead < 0x80) {
    return Utf8Char{1, lead};
  }
  const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
  if (length == 0 || lead > 0xF4 || at + length > text.size()) {
    return std::nullopt;
  }
  char32_t code = lead & (0x7F >> length);
  for (std::size_t k = 1; k < length; ++k) {
    const auto follow = static_cast<unsigned char>(text[at + k]);
    if ((follow & 0xC0) != 0x80) {
      return std::nullopt;
    }
    code = (code << 6) | (follow & 0x3F);
  }
  constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < kLeast[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
    return std::nullopt;
  }
  return Utf8Char{length, code};
}

bool IsUtf8(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    const auto next = Utf8CharAt(text, at);
    if (!next) {
      return false;
    }
    at += next->Length;
  }
  return true;
}

std::string Windows1252ToUtf8(std::string_view text) {
  const Converted converted =
      Convert("UTF-8", "WINDOWS-1252", text, [](std::string_view rest, std::string& out) {
        const auto byte = static_cast<unsigned char>(rest.front());
        if (!IsUndefinedIn1252(byte)) {
          return std::size_t{0};
        }
        out += {'\xC2', static_cast<char>(byte)};
        return std::size_t{1};
      });
  // glibc defines every other byte; without iconv at all, keep the ASCII.
  return converted.Text.value_or(std::string(text));
}

std::string AsUtf8(std::string_view text) {
  return IsUtf8(text) ? std::string(text) : Windows1252ToUtf8(text);
}

std::optional<std::string> Utf8ToWindows1252(std::string_view text) {
  return Convert("WINDOWS-1252", "UTF-8", text,
                 [](std::string_view rest, std::string& out) {
                   const auto next = Utf8CharAt(rest, 0);
                   if (!next || !IsUndefinedIn1252(next->CodePoint)) {
                     return std::size_t{0};
                   }
                   out.push_back(static_cast<char>(next->CodePoint));
                   return next->Length;
                 })
      .Text;
}

std::optional<std::string> Utf8ToLatin1(std::string_view text) {
  return Convert("ISO-8859-1", "UTF-8", text).Text;
}

Utf16Outcome Utf16ToUtf8(std::string_view bytes, bool littleEndian) {
  const Converted converted = Convert("UTF-8", littleEndian ? "UTF-16LE" : "UTF-16BE", bytes);
  return {converted.Text, converted.StoppedAt};
}

SheetText SheetTextOf(std::string_view bytes) {
  std::string text;
  if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
    const Utf16Outcome utf16 = Utf16ToUtf8(bytes.substr(2), bytes.front() == '\xFF');
    if (!utf16.Utf8) {
      return {std::nullopt, "cannot be read (its UTF-16 text is broken at byte " +
                                std::to_string(utf16.BrokenAt + 2) + ")"};
    }
    text = *utf16.Utf8;
  } else {
    if (bytes.starts_with("\xEF\xBB\xBF")) {
      bytes.remove_prefix(3);
    }
    text = AsUtf8(bytes);
  }
  if (text.find('\0') != std::string::npos) {
    return {std::nullopt, "is not a cue sheet (it holds binary data)"};
  }
  return {WithLfLineEnds(text), {}};
}

std::string TerminalText(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string shown;
  shown.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    const auto next = Utf8CharAt(text, at);
    const bool control =
        next && (next->CodePoint < 0x20 || (next->CodePoint >= 0x7F && next->CodePoint <= 0x9F));
    const std::size_t length = next ? next->Length : 1;
    if (next && !control) {
      shown.append(text.substr(at, length));
    } else {
      for (std::size_t k = at; k < at + length; ++k) {
        const auto byte = static_cast<unsigned char>(text[k]);
        shown += {'\\', 'x', kHex[byte >> 4], kHex[byte & 0x0F]};
      }
    }
    at += length;
  }
  return shown;
}

}  // namespace brelvik::cue
