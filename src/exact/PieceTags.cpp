#include "exact/PieceTags.h"

#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/textidentificationframe.h>

namespace brelvik::exact {
namespace {

constexpr std::size_t kId3v1Bytes = 128;
constexpr std::size_t kId3v1CommentEnd = 125;  // the zero byte before the track byte
constexpr std::size_t kId3v1Track = 126;

Bytes FromByteVector(const TagLib::ByteVector& bytes) {
  return Bytes(bytes.begin(), bytes.end());
}

// Replaces the tag's frames of this id with one holding text, unless text is
// empty. TagLib empties a text that is no UTF-8: that one, too, leaves the
// source's frame as it is. Version 2.3 tags cannot hold UTF-8, so they get
// UTF-16.
void SetText(TagLib::ID3v2::Tag& tag, const TagLib::ByteVector& id, const std::string& text,
             int version) {
  const TagLib::String value(text, TagLib::String::UTF8);
  if (value.isEmpty()) {
    return;
  }
  tag.removeFrames(id);
  const auto encoding = version == 3 ? TagLib::String::UTF16 : TagLib::String::UTF8;
  auto* frame = new TagLib::ID3v2::TextIdentificationFrame(id, encoding);
  frame->setText(value);
  tag.addFrame(frame);  // the tag owns it from here
}

// A length the source's tag states is the whole file's; a piece states its own.
void SetStatedLength(TagLib::ID3v2::Tag& tag, std::optional<std::int64_t> lengthMs) {
  if (!lengthMs || tag.frameListMap()["TLEN"].isEmpty()) {
    return;
  }
  tag.removeFrames("TLEN");
  auto* length = new TagLib::ID3v2::TextIdentificationFrame("TLEN", TagLib::String::Latin1);
  length->setText(std::to_string(*lengthMs));
  tag.addFrame(length);
}

Bytes Rendered(TagLib::ID3v2::Tag& tag, int version, int piece, int pieces, const PieceNames& names,
               std::optional<std::int64_t> lengthMs = std::nullopt) {
  SetStatedLength(tag, lengthMs);
  tag.removeFrames("TRCK");
  auto* track = new TagLib::ID3v2::TextIdentificationFrame("TRCK", TagLib::String::Latin1);
  track->setText(std::to_string(piece) + "/" + std::to_string(pieces));
  tag.addFrame(track);
  SetText(tag, "TIT2", names.Title, version);
  SetText(tag, "TPE1", names.Artist, version);
  SetText(tag, "TALB", names.Album, version);
  SetText(tag, "TPE2", names.AlbumArtist, version);
  return FromByteVector(tag.render(version == 3 ? TagLib::ID3v2::v3 : TagLib::ID3v2::v4));
}

}  // namespace

PieceTags::PieceTags(InputFile& source, const StreamLayout& layout) {
  if (layout.Id3v2Bytes > 0) {
    id3v2_.resize(static_cast<std::size_t>(layout.Id3v2Bytes));
    source.ReadAt(0, id3v2_);
  }
  if (layout.Id3v1) {
    Bytes tag(kId3v1Bytes);
    source.ReadAt(layout.FileSize - static_cast<std::int64_t>(kId3v1Bytes), tag);
    id3v1_ = tag;
  }
}

Bytes PieceTags::Id3v2For(int piece, int pieces, const PieceNames& names,
                          std::optional<std::int64_t> lengthMs) const {
  if (id3v2_.empty()) {
    return names.Empty() ? Bytes{} : NewId3v2(piece, pieces, names);
  }
  return RenumberedId3v2(id3v2_, piece, pieces, names, lengthMs);
}

Bytes PieceTags::Id3v1For(int piece) const {
  return id3v1_ ? RenumberedId3v1(*id3v1_, piece) : Bytes{};
}

Bytes RenumberedId3v2(const Bytes& tag, int piece, int pieces, const PieceNames& names,
                      std::optional<std::int64_t> lengthMs) {
  TagLib::ByteVector bytes(reinterpret_cast<const char*>(tag.data()),
                           static_cast<unsigned int>(tag.size()));
  TagLib::ByteVectorStream stream(bytes);
  TagLib::MPEG::File file(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
  TagLib::ID3v2::Tag* id3v2 = file.isValid() && file.hasID3v2Tag() ? file.ID3v2Tag() : nullptr;
  if (id3v2 == nullptr) {
    return tag;
  }
  const int version = id3v2->header()->majorVersion() == 3 ? 3 : 4;
  return Rendered(*id3v2, version, piece, pieces, names, lengthMs);
}

Bytes NewId3v2(int piece, int pieces, const PieceNames& names) {
  TagLib::ID3v2::Tag tag;
  return Rendered(tag, 4, piece, pieces, names);
}

Bytes RenumberedId3v1(const Bytes& tag, int piece) {
  Bytes renumbered = tag;
  if (renumbered.size() == kId3v1Bytes && piece > 0 && piece <= 255) {
    renumbered[kId3v1CommentEnd] = 0;
    renumbered[kId3v1Track] = static_cast<std::uint8_t>(piece);
  }
  return renumbered;
}

}  // namespace brelvik::exact
