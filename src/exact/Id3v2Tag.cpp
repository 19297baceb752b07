#include "exact/Id3v2Tag.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>
#include <vector>

namespace brelvik::exact {
namespace {

constexpr std::uint8_t kUnsynchronisation = 0x80;
constexpr std::uint8_t kExtendedHeader = 0x40;
constexpr std::uint8_t kCompressedTag = 0x40;  // version 2.2
constexpr std::uint8_t kFooter = 0x10;
constexpr std::uint8_t kFrameUnsynchronised = 0x02;  // version 2.4, second flag byte
// The largest extended header taken apart; a larger one is no tag a writer makes.
constexpr std::uint32_t kLargestExtendedHeader = 64;
constexpr std::uint32_t kLargestBody = (1u << 28) - 1;

const char* const kIds[3][kTagFields] = {
    {"TRK", "TLE", "TT2", "TP1", "TAL", "TP2"},        // 2.2
    {"TRCK", "TLEN", "TIT2", "TPE1", "TALB", "TPE2"},  // 2.3 and 2.4
    {"TRCK", "TLEN", "TIT2", "TPE1", "TALB", "TPE2"},
};

std::size_t IdBytes(int version) {
  return version == 2 ? 3 : 4;
}

std::size_t FrameHeaderBytes(int version) {
  return version == 2 ? 6 : 10;
}

const char* IdOf(int version, TagField field) {
  return kIds[version - 2][static_cast<std::size_t>(field)];
}

bool IsIdCharacter(std::uint8_t c) {
  return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// Code points of UTF-8 text; none where it is no UTF-8 (an overlong form, a
// surrogate, a sequence cut short).
std::optional<std::vector<char32_t>> CodePoints(const std::string& text) {
  std::vector<char32_t> points;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<std::uint8_t>(text[i]);
    const int length = lead < 0x80    ? 1
                       : lead > 0xF4  ? 0
                       : lead >= 0xF0 ? 4
                       : lead >= 0xE0 ? 3
                       : lead >= 0xC2 ? 2
                                      : 0;
    char32_t point = length == 1 ? lead : static_cast<char32_t>(lead & (0x7F >> length));
    bool valid = length > 0 && i + static_cast<std::size_t>(length) <= text.size();
    for (int k = 1; valid && k < length; ++k) {
      const auto next = static_cast<std::uint8_t>(text[i + static_cast<std::size_t>(k)]);
      valid = (next & 0xC0) == 0x80;
      point = point << 6 | (next & 0x3Fu);
    }
    const char32_t least = length == 4 ? 0x10000 : length == 3 ? 0x800 : 0;
    valid = valid && point >= least && point <= 0x10FFFF && (point < 0xD800 || point > 0xDFFF);
    if (!valid) {
      return std::nullopt;
    }
    points.push_back(point);
    i += static_cast<std::size_t>(length);
  }
  return points;
}

// A text frame's body for UTF-8 text: version 2.4 takes UTF-8, the older ones
// Latin-1 where it holds the text and UTF-16 with a byte order mark where it
// does not.
Bytes TextBody(int version, const std::string& text) {
  const std::vector<char32_t> points = CodePoints(text).value();
  const bool ascii = std::all_of(points.begin(), points.end(), [](char32_t p) { return p < 0x80; });
  const bool latin1 =
      std::all_of(points.begin(), points.end(), [](char32_t p) { return p < 0x100; });
  Bytes body;
  if (ascii || (version < 4 && latin1)) {
    body.push_back(0);
    for (const char32_t p : points) {
      body.push_back(static_cast<std::uint8_t>(p));
    }
  } else if (version == 4) {
    body.push_back(3);
    body.insert(body.end(), text.begin(), text.end());
  } else {
    body.insert(body.end(), {1, 0xFF, 0xFE});
    const auto unit = [&body](char32_t u) {
      body.push_back(static_cast<std::uint8_t>(u));
      body.push_back(static_cast<std::uint8_t>(u >> 8));
    };
    for (const char32_t p : points) {
      if (p >= 0x10000) {
        unit(0xD800 + ((p - 0x10000) >> 10));
        unit(0xDC00 + ((p - 0x10000) & 0x3FF));
      } else {
        unit(p);
      }
    }
  }
  return body;
}

Bytes FrameOf(int version, const char* id, const Bytes& body, bool unsynchroniseFlag) {
  Bytes frame(FrameHeaderBytes(version), 0);
  std::memcpy(frame.data(), id, IdBytes(version));
  const auto size = static_cast<std::uint32_t>(body.size());
  if (version == 2) {
    PutBigEndian(frame.data() + 3, size, 3);
  } else if (version == 3) {
    PutBigEndian(frame.data() + 4, size, 4);
  } else {
    PutSynchsafe(frame.data() + 4, size);
    frame[9] = unsynchroniseFlag ? kFrameUnsynchronised : 0;
  }
  frame.insert(frame.end(), body.begin(), body.end());
  return frame;
}

// A sink that undoes unsynchronisation before handing bytes on.
ByteSink Resynchronising(const ByteSink& sink) {
  return [&sink, afterFF = false](std::span<const std::uint8_t> bytes) mutable {
    Bytes kept;
    kept.reserve(bytes.size());
    for (const std::uint8_t byte : bytes) {
      if (!(afterFF && byte == 0x00)) {
        kept.push_back(byte);
      }
      afterFF = byte == 0xFF;
    }
    sink(kept);
  };
}

}  // namespace

std::int64_t Id3v2TagBytes(std::span<const std::uint8_t> b, std::int64_t fileSize) {
  if (b.size() < kId3v2HeaderBytes || std::memcmp(b.data(), "ID3", 3) != 0) {
    return 0;
  }
  const std::int64_t body = SynchsafeValue(b.subspan(6, 4));
  const bool footer = (b[5] & kFooter) != 0 && b[3] >= 4;
  const std::int64_t bytes = static_cast<std::int64_t>(kId3v2HeaderBytes) * (footer ? 2 : 1) + body;
  return bytes <= fileSize ? bytes : 0;
}

Id3v2Tag::Id3v2Tag(const ByteSource& source, std::int64_t offset, std::int64_t size, bool main)
    : source_(source), offset_(offset), size_(size), main_(main) {
  editable_ = Scan();
}

bool Id3v2Tag::Scan() {
  source_(offset_, header_);
  version_ = header_[3];
  const std::uint8_t flags = header_[5];
  bodyEnd_ = offset_ + static_cast<std::int64_t>(kId3v2HeaderBytes) +
             SynchsafeValue(std::span(header_).subspan(6, 4));
  if (version_ < 2 || version_ > 4 || (version_ == 2 && (flags & kCompressedTag) != 0) ||
      bodyEnd_ > offset_ + size_) {
    return false;
  }
  unsynchronised_ = (flags & kUnsynchronisation) != 0;
  // Version 2.4 unsynchronises frame by frame, and a frame's size counts its
  // bytes as they stand.
  RangeReader reader(source_, offset_ + static_cast<std::int64_t>(kId3v2HeaderBytes), bodyEnd_,
                     unsynchronised_ && version_ < 4);
  if (version_ >= 3 && (flags & kExtendedHeader) != 0 && !ScanExtendedHeader(reader)) {
    return false;
  }
  framesStart_ = reader.Position();
  ScanFrames(reader);
  return true;
}

bool Id3v2Tag::ScanExtendedHeader(RangeReader& reader) {
  const std::int64_t start = reader.Position();
  ExtendedHeader header;
  header.Content.resize(4);
  if (!reader.Read(header.Content)) {
    return false;
  }
  // Version 2.3 counts the bytes after the size, 2.4 the whole header.
  const std::uint32_t stated =
      version_ == 3 ? BigEndianValue(header.Content) : SynchsafeValue(header.Content);
  const std::uint32_t rest = version_ == 3 ? stated : stated - 4;
  if ((version_ == 3 && stated != 6 && stated != 10) ||
      (version_ == 4 && (stated < 6 || stated > kLargestExtendedHeader))) {
    return false;
  }
  header.Content.resize(4 + rest);
  if (!reader.Read(std::span(header.Content).subspan(4))) {
    return false;
  }
  if (version_ == 3) {
    header.CrcAt = (header.Content[4] & 0x80) != 0 && stated == 10 ? 10 : 0;
  } else {
    // The flag bytes, then for each flag set in turn (update, CRC,
    // restrictions) a length byte and that many bytes of data.
    std::size_t at = 5 + std::size_t{header.Content[4]};
    const std::uint8_t flags = header.Content.size() > 5 ? header.Content[5] : 0;
    for (const std::uint8_t flag : {std::uint8_t{0x40}, std::uint8_t{0x20}, std::uint8_t{0x10}}) {
      if ((flags & flag) == 0) {
        continue;
      }
      if (at >= header.Content.size()) {
        return false;
      }
      const std::size_t length = header.Content[at];
      if (flag == 0x20 && length == 5) {
        header.CrcAt = at + 1;
      }
      at += 1 + length;
    }
    if (at > header.Content.size()) {
      return false;
    }
  }
  header.Raw.resize(static_cast<std::size_t>(reader.Position() - start));
  source_(start, header.Raw);
  extended_ = std::move(header);
  return true;
}

void Id3v2Tag::ScanFrames(RangeReader& reader) {
  const std::size_t headerBytes = FrameHeaderBytes(version_);
  Bytes frameHeader(headerBytes);
  for (;;) {
    framesEnd_ = reader.Position();
    if (!reader.Read(frameHeader) || frameHeader[0] == 0 ||
        !std::all_of(frameHeader.begin(),
                     frameHeader.begin() + static_cast<std::ptrdiff_t>(IdBytes(version_)),
                     IsIdCharacter)) {
      return;  // padding, the tag's end, or frames that no longer follow the rules
    }
    const auto sizeBytes = std::span(frameHeader).subspan(IdBytes(version_), version_ == 2 ? 3 : 4);
    std::uint32_t size = BigEndianValue(sizeBytes);
    // Some writers put plain sizes into version 2.4 tags; a size with a high
    // bit set can only be one.
    if (version_ == 4 && std::none_of(sizeBytes.begin(), sizeBytes.end(),
                                      [](std::uint8_t b) { return (b & 0x80) != 0; })) {
      size = SynchsafeValue(sizeBytes);
    }
    if (size > reader.RawLeft() || !reader.Skip(size)) {
      return;
    }
    for (std::size_t field = 0; field < kTagFields; ++field) {
      if (!fields_[field] &&
          std::memcmp(frameHeader.data(), kIds[version_ - 2][field], IdBytes(version_)) == 0) {
        fields_[field] = Span{framesEnd_, reader.Position() - framesEnd_};
      }
    }
  }
}

Bytes Id3v2Tag::NewFrame(TagField field, const std::string& text) const {
  const bool flagged = version_ == 4 && unsynchronised_;
  Bytes frame = FrameOf(version_, IdOf(version_, field), TextBody(version_, text), flagged);
  return unsynchronised_ && version_ < 4 ? Unsynchronised(frame) : frame;
}

std::vector<Id3v2Tag::Edit> Id3v2Tag::EditsFor(const PieceTrack& track) const {
  const std::string texts[kTagFields] = {
      std::to_string(track.Piece) + "/" + std::to_string(track.Pieces),
      track.LengthMs ? std::to_string(*track.LengthMs) : std::string(),
      track.Names.Title,
      track.Names.Artist,
      track.Names.Album,
      track.Names.AlbumArtist,
  };
  std::vector<Edit> edits;
  for (std::size_t field = 0; field < kTagFields; ++field) {
    const auto kind = static_cast<TagField>(field);
    const bool adds = main_ && kind != TagField::Length;
    // A name that is no UTF-8 cannot be written as it is: the source's stays.
    if (texts[field].empty() || !CodePoints(texts[field]) || (!fields_[field] && !adds)) {
      continue;
    }
    edits.push_back({fields_[field], NewFrame(kind, texts[field])});
  }
  std::stable_sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) {
    const std::int64_t none = std::numeric_limits<std::int64_t>::max();
    return (a.Replaces ? a.Replaces->Offset : none) < (b.Replaces ? b.Replaces->Offset : none);
  });
  return edits;
}

// The frames as the piece's tag holds them: the source's, with the edits'
// frames in place of those they replace and the new ones after the last.
void Id3v2Tag::WriteFrames(const std::vector<Edit>& edits, const ByteSink& sink) const {
  std::int64_t at = framesStart_;
  for (const Edit& edit : edits) {
    if (edit.Replaces) {
      CopyRange(source_, at, edit.Replaces->Offset, sink);
      at = edit.Replaces->Offset + edit.Replaces->Length;
    } else {
      CopyRange(source_, at, framesEnd_, sink);
      at = framesEnd_;
    }
    sink(edit.Frame);
  }
  CopyRange(source_, at, framesEnd_, sink);
}

// The extended header as it stands, or with its CRC of the piece's frames:
// of the frames alone in version 2.3, of frames and padding in 2.4.
Bytes Id3v2Tag::ExtendedHeaderFor(const std::vector<Edit>& edits) const {
  if (!extended_) {
    return {};
  }
  if (extended_->CrcAt == 0 || edits.empty()) {
    return extended_->Raw;
  }
  Crc32 crc;
  const ByteSink add = [&crc](std::span<const std::uint8_t> bytes) { crc.Add(bytes); };
  Bytes content = extended_->Content;
  if (version_ == 3) {
    WriteFrames(edits, unsynchronised_ ? Resynchronising(add) : add);
    PutBigEndian(content.data() + extended_->CrcAt, crc.Value(), 4);
    return unsynchronised_ ? Unsynchronised(content) : content;
  }
  WriteFrames(edits, add);
  CopyRange(source_, framesEnd_, bodyEnd_, add);
  const std::uint64_t value = crc.Value();
  for (std::size_t i = 0; i < 5; ++i) {
    content[extended_->CrcAt + i] = static_cast<std::uint8_t>((value >> (7 * (4 - i))) & 0x7Fu);
  }
  return content;
}

void Id3v2Tag::WriteFor(const PieceTrack& track, const ByteSink& sink) const {
  const std::vector<Edit> edits = editable_ ? EditsFor(track) : std::vector<Edit>{};
  const Bytes extended = ExtendedHeaderFor(edits);
  std::int64_t body = bodyEnd_ - offset_ - static_cast<std::int64_t>(kId3v2HeaderBytes);
  body += static_cast<std::int64_t>(extended.size()) - (framesStart_ - offset_ - 10);
  for (const Edit& edit : edits) {
    body +=
        static_cast<std::int64_t>(edit.Frame.size()) - (edit.Replaces ? edit.Replaces->Length : 0);
  }
  if (edits.empty() || body > kLargestBody) {
    CopyRange(source_, offset_, offset_ + size_, sink);
    return;
  }
  std::array<std::uint8_t, kId3v2HeaderBytes> header = header_;
  PutSynchsafe(header.data() + 6, static_cast<std::uint32_t>(body));
  sink(header);
  sink(extended);
  WriteFrames(edits, sink);
  CopyRange(source_, framesEnd_, bodyEnd_, sink);
  if ((header_[5] & kFooter) != 0 && version_ == 4) {
    std::memcpy(header.data(), "3DI", 3);
    sink(header);
  }
}

Bytes NewId3v2(const PieceTrack& track) {
  static const Bytes kEmptyTag = {'I', 'D', '3', 4, 0, 0, 0, 0, 0, 0};
  const ByteSource source = MemorySource(kEmptyTag);
  const Id3v2Tag empty(source, 0, static_cast<std::int64_t>(kEmptyTag.size()), true);
  Bytes tag;
  empty.WriteFor(track, [&tag](std::span<const std::uint8_t> bytes) {
    tag.insert(tag.end(), bytes.begin(), bytes.end());
  });
  return tag;
}

Bytes RenumberedId3v1(const Bytes& tag, int piece) {
  constexpr std::size_t kId3v1Bytes = 128;
  constexpr std::size_t kId3v1CommentEnd = 125;  // the zero byte before the track byte
  constexpr std::size_t kId3v1Track = 126;
  Bytes renumbered = tag;
  if (renumbered.size() == kId3v1Bytes && piece > 0 && piece <= 255) {
    renumbered[kId3v1CommentEnd] = 0;
    renumbered[kId3v1Track] = static_cast<std::uint8_t>(piece);
  }
  return renumbered;
}

}  // namespace brelvik::exact
