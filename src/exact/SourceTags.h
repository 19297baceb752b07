// Where a source's tags lie, so that no tag is taken for audio and each
// piece carries them all: ID3v2 tags one after another at the start, and at
// the end, in any order, ID3v1, APE (version 1 and 2, with or without a
// header), Lyrics3 (version 1 and 2) and ID3v2 tags with a footer, each found
// from the end of the file by the signature it ends with.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "exact/Id3v2Tag.h"
#include "exact/TagBytes.h"

namespace brelvik::exact {

enum class TagKind { Id3v2, Id3v1, Ape, Lyrics3 };

struct TagPlace {
  TagKind Kind = TagKind::Id3v2;
  std::int64_t Offset = 0;
  std::int64_t Size = 0;

  std::int64_t End() const { return Offset + Size; }
  friend bool operator==(const TagPlace&, const TagPlace&) = default;
};

inline constexpr std::int64_t kId3v1Bytes = 128;

// The ID3v2 tags that follow each other from the file's first byte on.
std::vector<TagPlace> LeadingTags(const ByteSource& source, std::int64_t fileSize);

// The tags that end the file, in file order; none starts before notBefore.
std::vector<TagPlace> TrailingTags(const ByteSource& source, std::int64_t notBefore,
                                   std::int64_t fileSize);

// An APE tag as its pieces carry it: item for item as it stands, with only a
// "Track" item's value set to the piece's number.
class ApeTag {
 public:
  ApeTag(const ByteSource& source, const TagPlace& place);

  void WriteFor(const PieceTrack& track, const ByteSink& sink) const;

 private:
  const ByteSource& source_;
  TagPlace place_;
  bool hasHeader_ = false;
  // The Track item's value, where the items could be read and one was found.
  std::optional<std::int64_t> trackValueAt_;
  std::uint32_t trackValueSize_ = 0;
};

}  // namespace brelvik::exact
