// The tags each piece carries: every tag of the source, in the source's
// order, before and after the piece's audio, each with the piece's track
// number where it holds one (the first ID3v2 tag gets one anyway), a length
// it states set to the piece's, and given names (a cue sheet's title and
// performer) over its own; a source without an ID3v2 tag at its start gets
// one made for such names. Tags are copied from the source a little at a
// time, so that memory does not grow with them.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "exact/Id3v2Tag.h"
#include "exact/SourceTags.h"
#include "exact/StreamLayout.h"
#include "exact/TagBytes.h"

namespace brelvik::exact {

class PieceTags {
 public:
  // Reads the source's tags where the layout found them.
  PieceTags(ByteSource source, const StreamLayout& layout);
  PieceTags(const PieceTags&) = delete;
  PieceTags& operator=(const PieceTags&) = delete;

  // What goes before the piece's audio, and what after it.
  void WriteLeading(const PieceTrack& track, const ByteSink& sink) const;
  void WriteTrailing(const PieceTrack& track, const ByteSink& sink) const;

 private:
  struct Tag {
    TagPlace Place;
    std::unique_ptr<Id3v2Tag> Id3v2;
    std::unique_ptr<ApeTag> Ape;
  };
  Tag Read(const TagPlace& place, bool mainId3v2) const;
  void Write(const Tag& tag, const PieceTrack& track, const ByteSink& sink) const;

  ByteSource source_;
  std::vector<Tag> leading_;
  std::vector<Tag> trailing_;
};

}  // namespace brelvik::exact
