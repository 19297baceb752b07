#include "exact/SourceTags.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <string>

namespace brelvik::exact {
namespace {

constexpr std::int64_t kApeFooterBytes = 32;
constexpr std::uint32_t kApeHasHeader = 0x80000000u;
constexpr std::uint32_t kApeIsHeader = 0x20000000u;
constexpr std::size_t kApeLongestKey = 255;
constexpr std::int64_t kLyrics3v1Longest = 5100;  // lyrics between "LYRICSBEGIN" and "LYRICSEND"
constexpr std::int64_t kLyrics3v2Trailer = 15;    // six digits of size and "LYRICS200"
constexpr char kLyricsBegin[] = "LYRICSBEGIN";
constexpr std::int64_t kLyricsBeginBytes = 11;

bool Holds(const Bytes& bytes, std::size_t at, const char* text) {
  const std::size_t length = std::strlen(text);
  return at + length <= bytes.size() && std::memcmp(bytes.data() + at, text, length) == 0;
}

class TailReader {
 public:
  TailReader(const ByteSource& source, std::int64_t notBefore)
      : source_(source), notBefore_(notBefore) {}

  // The bytes from..to, or nothing when they reach before notBefore.
  std::optional<Bytes> Read(std::int64_t from, std::int64_t to) const {
    if (from < notBefore_ || from > to) {
      return std::nullopt;
    }
    Bytes bytes(static_cast<std::size_t>(to - from));
    source_(from, bytes);
    return bytes;
  }
  std::int64_t NotBefore() const { return notBefore_; }

 private:
  const ByteSource& source_;
  std::int64_t notBefore_;
};

std::optional<TagPlace> Id3v1Ending(const TailReader& tail, std::int64_t end) {
  const auto bytes = tail.Read(end - kId3v1Bytes, end - kId3v1Bytes + 3);
  if (bytes && Holds(*bytes, 0, "TAG")) {
    return TagPlace{TagKind::Id3v1, end - kId3v1Bytes, kId3v1Bytes};
  }
  return std::nullopt;
}

std::optional<TagPlace> ApeEnding(const TailReader& tail, std::int64_t end) {
  const auto footer = tail.Read(end - kApeFooterBytes, end);
  if (!footer || !Holds(*footer, 0, "APETAGEX")) {
    return std::nullopt;
  }
  const std::int64_t size = LittleEndianValue(std::span(*footer).subspan(12, 4));
  const std::uint32_t flags = LittleEndianValue(std::span(*footer).subspan(20, 4));
  const std::int64_t header = (flags & kApeHasHeader) != 0 ? kApeFooterBytes : 0;
  const std::int64_t start = end - size - header;
  if ((flags & kApeIsHeader) != 0 || size < kApeFooterBytes || start < tail.NotBefore()) {
    return std::nullopt;
  }
  if (header > 0) {
    const auto opening = tail.Read(start, start + 8);
    if (!opening || !Holds(*opening, 0, "APETAGEX")) {
      return std::nullopt;
    }
  }
  return TagPlace{TagKind::Ape, start, end - start};
}

std::optional<TagPlace> Lyrics3v2Ending(const TailReader& tail, std::int64_t end) {
  const auto trailer = tail.Read(end - kLyrics3v2Trailer, end);
  if (!trailer || !Holds(*trailer, 6, "LYRICS200") ||
      !std::all_of(trailer->begin(), trailer->begin() + 6,
                   [](std::uint8_t c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  const std::int64_t size = std::stoll(std::string(trailer->begin(), trailer->begin() + 6));
  const std::int64_t start = end - kLyrics3v2Trailer - size;
  const auto opening = tail.Read(start, start + kLyricsBeginBytes);
  if (!opening || !Holds(*opening, 0, kLyricsBegin)) {
    return std::nullopt;
  }
  return TagPlace{TagKind::Lyrics3, start, end - start};
}

std::optional<TagPlace> Lyrics3v1Ending(const TailReader& tail, std::int64_t end) {
  const auto trailer = tail.Read(end - 9, end);
  if (!trailer || !Holds(*trailer, 0, "LYRICSEND")) {
    return std::nullopt;
  }
  const std::int64_t from =
      std::max(tail.NotBefore(), end - 9 - kLyrics3v1Longest - kLyricsBeginBytes);
  const auto window = tail.Read(from, end - 9);
  if (!window) {
    return std::nullopt;
  }
  const std::string text(window->begin(), window->end());
  const std::size_t begin = text.rfind(kLyricsBegin);
  if (begin == std::string::npos) {
    return std::nullopt;
  }
  const std::int64_t start = from + static_cast<std::int64_t>(begin);
  return TagPlace{TagKind::Lyrics3, start, end - start};
}

std::optional<TagPlace> Id3v2Ending(const TailReader& tail, std::int64_t end) {
  const auto footer = tail.Read(end - 10, end);
  if (!footer || !Holds(*footer, 0, "3DI")) {
    return std::nullopt;
  }
  const std::int64_t size = SynchsafeValue(std::span(*footer).subspan(6, 4)) + 20;
  const auto header = tail.Read(end - size, end - size + 10);
  if (!header || !Holds(*header, 0, "ID3") || Id3v2TagBytes(*header, size) != size) {
    return std::nullopt;
  }
  return TagPlace{TagKind::Id3v2, end - size, size};
}

}  // namespace

std::vector<TagPlace> LeadingTags(const ByteSource& source, std::int64_t fileSize) {
  std::vector<TagPlace> tags;
  std::int64_t at = 0;
  while (at + static_cast<std::int64_t>(kId3v2HeaderBytes) <= fileSize) {
    std::array<std::uint8_t, kId3v2HeaderBytes> header{};
    source(at, header);
    const std::int64_t size = Id3v2TagBytes(header, fileSize - at);
    if (size == 0) {
      break;
    }
    tags.push_back({TagKind::Id3v2, at, size});
    at += size;
  }
  return tags;
}

std::vector<TagPlace> TrailingTags(const ByteSource& source, std::int64_t notBefore,
                                   std::int64_t fileSize) {
  const TailReader tail(source, notBefore);
  std::vector<TagPlace> tags;
  for (std::int64_t end = fileSize;;) {
    std::optional<TagPlace> tag = ApeEnding(tail, end);
    for (const auto ending : {Lyrics3v2Ending, Lyrics3v1Ending, Id3v2Ending, Id3v1Ending}) {
      tag = tag ? tag : ending(tail, end);
    }
    if (!tag) {
      break;
    }
    tags.insert(tags.begin(), *tag);
    end = tag->Offset;
  }
  return tags;
}

ApeTag::ApeTag(const ByteSource& source, const TagPlace& place) : source_(source), place_(place) {
  Bytes footer(kApeFooterBytes);
  source_(place_.End() - kApeFooterBytes, footer);
  const std::uint32_t count = LittleEndianValue(std::span(footer).subspan(16, 4));
  hasHeader_ = (LittleEndianValue(std::span(footer).subspan(20, 4)) & kApeHasHeader) != 0;
  RangeReader items(source_, place_.Offset + (hasHeader_ ? kApeFooterBytes : 0),
                    place_.End() - kApeFooterBytes);
  for (std::uint32_t item = 0; item < count; ++item) {
    std::array<std::uint8_t, 8> sizeAndFlags{};
    if (!items.Read(sizeAndFlags)) {
      return;
    }
    std::string key;
    std::uint8_t c = 0;
    while (items.Get(c) && c != 0 && key.size() <= kApeLongestKey) {
      key.push_back(static_cast<char>(std::tolower(c)));
    }
    const std::uint32_t size = LittleEndianValue(std::span(sizeAndFlags).subspan(0, 4));
    if (c != 0 || key.size() > kApeLongestKey) {
      return;
    }
    const std::int64_t valueAt = items.Position();
    if (!items.Skip(size)) {
      return;
    }
    if (key == "track") {
      trackValueAt_ = valueAt;
      trackValueSize_ = size;
      return;
    }
  }
}

void ApeTag::WriteFor(const PieceTrack& track, const ByteSink& sink) const {
  if (!trackValueAt_) {
    CopyRange(source_, place_.Offset, place_.End(), sink);
    return;
  }
  const std::string value = std::to_string(track.Piece) + "/" + std::to_string(track.Pieces);
  const std::int64_t grows = static_cast<std::int64_t>(value.size()) - trackValueSize_;
  const auto withSize = [&](std::int64_t at) {
    Bytes bytes(kApeFooterBytes);
    source_(at, bytes);
    const std::int64_t size = LittleEndianValue(std::span(bytes).subspan(12, 4));
    PutLittleEndian(bytes.data() + 12, static_cast<std::uint32_t>(size + grows));
    return bytes;
  };
  const std::int64_t footerAt = place_.End() - kApeFooterBytes;
  std::int64_t itemsAt = place_.Offset;
  if (hasHeader_) {
    sink(withSize(place_.Offset));
    itemsAt += kApeFooterBytes;
  }
  // The item's value size, its flags and key, and then its value.
  const std::int64_t itemAt =
      *trackValueAt_ - 8 - static_cast<std::int64_t>(std::strlen("track")) - 1;
  CopyRange(source_, itemsAt, itemAt, sink);
  std::array<std::uint8_t, 4> size{};
  PutLittleEndian(size.data(), static_cast<std::uint32_t>(value.size()));
  sink(size);
  CopyRange(source_, itemAt + 4, *trackValueAt_, sink);
  sink(std::span(reinterpret_cast<const std::uint8_t*>(value.data()), value.size()));
  CopyRange(source_, *trackValueAt_ + trackValueSize_, footerAt, sink);
  sink(withSize(footerAt));
}

}  // namespace brelvik::exact
