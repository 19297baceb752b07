// The tags each piece carries: the source's ID3v2 tag with the track number
// set to "k/n" (and a length it states set to the piece's), rendered by
// TagLib in the tag's own version, and the source's ID3v1 tag with its track
// byte set to k. A source without a tag gives its pieces none, unless a piece
// is given names of its own (a cue sheet's title and performer): those go
// over the source tag's, in a tag made for them when the source has none.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "exact/StreamLayout.h"
#include "io/InputFile.h"

namespace brelvik::exact {

using Bytes = std::vector<std::uint8_t>;

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

class PieceTags {
 public:
  // Reads the source's tags where the layout found them.
  PieceTags(InputFile& source, const StreamLayout& layout);

  // lengthMs: the piece's length, for a source tag that states one (TLEN).
  Bytes Id3v2For(int piece, int pieces, const PieceNames& names = {},
                 std::optional<std::int64_t> lengthMs = std::nullopt) const;
  Bytes Id3v1For(int piece) const;

 private:
  Bytes id3v2_;
  std::optional<Bytes> id3v1_;
};

// The ID3v2 tag in these bytes with its track number set to "piece/pieces",
// the given names set, a stated length (TLEN) that it holds set to lengthMs
// when given, and nothing else changed; the bytes as they are when TagLib
// cannot read them as a tag.
Bytes RenumberedId3v2(const Bytes& tag, int piece, int pieces, const PieceNames& names = {},
                      std::optional<std::int64_t> lengthMs = std::nullopt);

// A new ID3v2.4 tag holding the track number and the names.
Bytes NewId3v2(int piece, int pieces, const PieceNames& names);

// The 128-byte ID3v1 tag with its track byte (ID3v1.1) set to piece, which
// takes the last two bytes of the comment; unchanged for piece numbers above 255.
Bytes RenumberedId3v1(const Bytes& tag, int piece);

}  // namespace brelvik::exact
