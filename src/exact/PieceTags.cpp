#include "exact/PieceTags.h"

namespace brelvik::exact {

PieceTags::PieceTags(ByteSource source, const StreamLayout& layout) : source_(std::move(source)) {
  for (const TagPlace& place : layout.LeadingTags) {
    leading_.push_back(Read(place, leading_.empty()));
  }
  for (const TagPlace& place : layout.TrailingTags) {
    trailing_.push_back(Read(place, false));
  }
}

PieceTags::Tag PieceTags::Read(const TagPlace& place, bool mainId3v2) const {
  Tag tag{place, nullptr, nullptr};
  if (place.Kind == TagKind::Id3v2) {
    tag.Id3v2 = std::make_unique<Id3v2Tag>(source_, place.Offset, place.Size, mainId3v2);
  } else if (place.Kind == TagKind::Ape) {
    tag.Ape = std::make_unique<ApeTag>(source_, place);
  }
  return tag;
}

void PieceTags::Write(const Tag& tag, const PieceTrack& track, const ByteSink& sink) const {
  if (tag.Id3v2) {
    tag.Id3v2->WriteFor(track, sink);
  } else if (tag.Ape) {
    tag.Ape->WriteFor(track, sink);
  } else if (tag.Place.Kind == TagKind::Id3v1) {
    Bytes id3v1(static_cast<std::size_t>(kId3v1Bytes));
    source_(tag.Place.Offset, id3v1);
    sink(RenumberedId3v1(id3v1, track.Piece));
  } else {
    CopyRange(source_, tag.Place.Offset, tag.Place.End(), sink);
  }
}

void PieceTags::WriteLeading(const PieceTrack& track, const ByteSink& sink) const {
  if (leading_.empty() && !track.Names.Empty()) {
    sink(NewId3v2(track));
  }
  for (const Tag& tag : leading_) {
    Write(tag, track, sink);
  }
}

void PieceTags::WriteTrailing(const PieceTrack& track, const ByteSink& sink) const {
  for (const Tag& tag : trailing_) {
    Write(tag, track, sink);
  }
}

}  // namespace brelvik::exact
