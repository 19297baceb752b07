// Names given to a piece (a cue sheet's titles and performers) go over the
// source tag's in the tag's own version, or into a tag made for them.
#include <gtest/gtest.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tbytevectorstream.h>

#include <string>

#include "exact/Id3v2Tag.h"

namespace brelvik::exact {
namespace {

constexpr const char* kTitle = "N\xC3\xA4ttens \xE6\x98\x9F";  // beyond Latin-1 too

Bytes TagOf(TagLib::ID3v2::Version version) {
  TagLib::ID3v2::Tag tag;
  tag.setTitle("Whole Concert");
  tag.setArtist("Source Artist");
  tag.setAlbum("Source Album");
  tag.setComment("kept");
  const TagLib::ByteVector bytes = tag.render(version);
  return Bytes(bytes.begin(), bytes.end());
}

struct ReadBack {
  int Version = 0;
  std::string Title, Artist, Album, AlbumArtist, Track, Comment;
};

// The tag as a piece's copy of it.
Bytes Renumbered(const Bytes& tag, int piece, int pieces, const PieceNames& names) {
  const ByteSource source = MemorySource(tag);
  const Id3v2Tag id3v2(source, 0, static_cast<std::int64_t>(tag.size()), true);
  Bytes copy;
  id3v2.WriteFor({piece, pieces, names, std::nullopt}, [&copy](std::span<const std::uint8_t> b) {
    copy.insert(copy.end(), b.begin(), b.end());
  });
  return copy;
}

ReadBack Read(const Bytes& tag) {
  TagLib::ByteVector bytes(reinterpret_cast<const char*>(tag.data()),
                           static_cast<unsigned int>(tag.size()));
  TagLib::ByteVectorStream stream(bytes);
  TagLib::MPEG::File file(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
  TagLib::ID3v2::Tag* id3v2 = file.ID3v2Tag();
  EXPECT_NE(id3v2, nullptr);
  if (id3v2 == nullptr) {
    return {};
  }
  const auto text = [id3v2](const char* id) {
    const auto& frames = id3v2->frameListMap()[id];
    return frames.isEmpty() ? std::string() : frames.front()->toString().to8Bit(true);
  };
  return {static_cast<int>(id3v2->header()->majorVersion()),
          text("TIT2"),
          text("TPE1"),
          text("TALB"),
          text("TPE2"),
          text("TRCK"),
          id3v2->comment().to8Bit(true)};
}

class NamedPieces : public ::testing::TestWithParam<TagLib::ID3v2::Version> {};

TEST_P(NamedPieces, GoOverTheSourceTagsNamesInItsVersion) {
  const PieceNames names{kTitle, "Guest", "Live at the Hall", "The Band"};
  const ReadBack tag = Read(Renumbered(TagOf(GetParam()), 2, 5, names));
  EXPECT_EQ(tag.Version, GetParam() == TagLib::ID3v2::v3 ? 3 : 4);
  EXPECT_EQ(tag.Title, kTitle);
  EXPECT_EQ(tag.Artist, "Guest");
  EXPECT_EQ(tag.Album, "Live at the Hall");
  EXPECT_EQ(tag.AlbumArtist, "The Band");
  EXPECT_EQ(tag.Track, "2/5");
  EXPECT_EQ(tag.Comment, "kept");
}

TEST_P(NamedPieces, LeaveTheSourcesNamesWhereTheyAreEmpty) {
  const ReadBack tag = Read(Renumbered(TagOf(GetParam()), 1, 2, {"", "", "", "The Band"}));
  EXPECT_EQ(tag.Title, "Whole Concert");
  EXPECT_EQ(tag.Artist, "Source Artist");
  EXPECT_EQ(tag.Album, "Source Album");
  EXPECT_EQ(tag.AlbumArtist, "The Band");
}

// Names that are no UTF-8 (an overlong "/", a surrogate, a byte cut short)
// cannot be written as they are: the source's own names stay.
TEST_P(NamedPieces, KeepTheSourcesNamesForTextsThatAreNoUtf8) {
  const PieceNames names{"a\xC0\xAF", "\xED\xA0\x80", "\xE2\x82", "The Band"};
  const ReadBack tag = Read(Renumbered(TagOf(GetParam()), 1, 2, names));
  EXPECT_EQ(tag.Title, "Whole Concert");
  EXPECT_EQ(tag.Artist, "Source Artist");
  EXPECT_EQ(tag.Album, "Source Album");
  EXPECT_EQ(tag.AlbumArtist, "The Band");
}

INSTANTIATE_TEST_SUITE_P(Versions, NamedPieces,
                         ::testing::Values(TagLib::ID3v2::v3, TagLib::ID3v2::v4));

TEST(NamedPieces, OfASourceWithoutATagGetATagOfTheirOwn) {
  const ReadBack tag = Read(NewId3v2({3, 4, {kTitle, "Guest", "", ""}, std::nullopt}));
  EXPECT_EQ(tag.Version, 4);
  EXPECT_EQ(tag.Title, kTitle);
  EXPECT_EQ(tag.Artist, "Guest");
  EXPECT_EQ(tag.Album, "");
  EXPECT_EQ(tag.Track, "3/4");
}

}  // namespace
}  // namespace brelvik::exact
