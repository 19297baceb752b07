// An ID3v2 tag of the source (version 2.2, 2.3 or 2.4) as its pieces carry
// it: frame for frame and byte for byte as it stands, in its own version,
// with only the track number, a stated length and given names changed.
// Frames are found by their headers alone; what they hold is never parsed,
// so a frame no reader understands (compressed, encrypted, of an unknown id,
// of a malformed body) goes into the piece as it was. Where the frame
// sequence itself breaks off, the rest of the tag is kept as it stands and
// new frames go before it. Unsynchronisation, extended headers (with their
// CRC computed anew) and footers are kept.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "exact/TagBytes.h"

namespace brelvik::exact {

// Names for one piece's ID3v2 tag, UTF-8; an empty one leaves the tag's as it is.
struct PieceNames {
  std::string Title;        // TIT2
  std::string Artist;       // TPE1
  std::string Album;        // TALB
  std::string AlbumArtist;  // TPE2

  bool Empty() const {
    return Title.empty() && Artist.empty() && Album.empty() && AlbumArtist.empty();
  }
};

// What one piece's tags state of it.
struct PieceTrack {
  int Piece = 1;
  int Pieces = 1;
  PieceNames Names;
  std::optional<std::int64_t> LengthMs;  // for a tag that states a length
};

inline constexpr std::size_t kId3v2HeaderBytes = 10;

// The bytes of the ID3v2 tag that these ten bytes open, header and footer
// included, by the standard's rules (a synchsafe size, plus ten when a footer
// follows); 0 when they open none or it would run past the file's end.
std::int64_t Id3v2TagBytes(std::span<const std::uint8_t> header, std::int64_t fileSize);

// The frames a piece's tag changes, in this order.
enum class TagField { Track, Length, Title, Artist, Album, AlbumArtist };
inline constexpr std::size_t kTagFields = 6;

class Id3v2Tag {
 public:
  // Scans the tag of `bytes` bytes at offset for its frames. `main`: the
  // piece's first ID3v2 tag, which gets a track number (and given names)
  // where it has none; any other only has those it holds changed.
  Id3v2Tag(const ByteSource& source, std::int64_t offset, std::int64_t size, bool main);

  std::int64_t Offset() const { return offset_; }
  std::int64_t Size() const { return size_; }
  int Version() const { return version_; }
  bool Editable() const { return editable_; }
  // Where a frame of the field lies in the source, if the tag holds one.
  struct Span {
    std::int64_t Offset = 0;
    std::int64_t Length = 0;
  };
  const std::optional<Span>& FieldSpan(TagField field) const {
    return fields_[static_cast<std::size_t>(field)];
  }

  // Writes the piece's copy of the tag to the sink.
  void WriteFor(const PieceTrack& track, const ByteSink& sink) const;

 private:
  struct ExtendedHeader {
    exact::Bytes Raw;       // as the source holds it
    exact::Bytes Content;   // unsynchronisation undone
    std::size_t CrcAt = 0;  // where the CRC lies in Content, 0 for none
  };
  struct Edit {
    std::optional<Span> Replaces;  // nothing: a frame added after the last
    exact::Bytes Frame;            // as it goes into the tag (unsynchronised where the tag is)
  };

  bool Scan();
  bool ScanExtendedHeader(RangeReader& reader);
  void ScanFrames(RangeReader& reader);
  std::vector<Edit> EditsFor(const PieceTrack& track) const;
  exact::Bytes NewFrame(TagField field, const std::string& text) const;
  void WriteFrames(const std::vector<Edit>& edits, const ByteSink& sink) const;
  exact::Bytes ExtendedHeaderFor(const std::vector<Edit>& edits) const;

  const ByteSource& source_;
  std::int64_t offset_;
  std::int64_t size_;
  bool main_;
  std::array<std::uint8_t, kId3v2HeaderBytes> header_{};
  int version_ = 0;
  bool editable_ = false;
  bool unsynchronised_ = false;   // the whole tag (2.2, 2.3) or every frame (2.4)
  std::int64_t framesStart_ = 0;  // after the header and the extended header
  std::int64_t framesEnd_ = 0;    // after the last frame found: new frames go here
  std::int64_t bodyEnd_ = 0;      // where the footer starts, or the tag ends
  std::optional<ExtendedHeader> extended_;
  std::array<std::optional<Span>, kTagFields> fields_{};
};

// A fresh ID3v2.4 tag holding the track number and the names.
exact::Bytes NewId3v2(const PieceTrack& track);

// The 128-byte ID3v1 tag with its track byte (ID3v1.1) set to piece, which
// takes the last two bytes of the comment; unchanged for piece numbers above 255.
exact::Bytes RenumberedId3v1(const exact::Bytes& tag, int piece);

}  // namespace brelvik::exact
