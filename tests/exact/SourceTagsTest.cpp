// Every tag of a source reaches every piece as it stands, but for the track
// number (where the tag holds one, and in the first ID3v2 tag anyway): tags
// built byte by byte around real audio, before it (several ID3v2 tags of
// every version and layout, a malformed frame) and after it (APE, Lyrics3,
// ID3v2 with a footer, ID3v1, in any order). The pieces still join to the
// source, and none of the tags' bytes is taken for audio.
#include <gtest/gtest.h>
#include <taglib/apetag.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

#include <variant>

#include "ExactTestSupport.h"
#include "Lame.h"
#include "ReferenceDecode.h"
#include "TagBuilder.h"
#include "exact/ExactSplit.h"
#include "split/OutputNaming.h"

namespace brelvik::exact {
namespace {

using brelvik::exact::PrintTo;
using namespace brelvik::testing;

struct Id3v2ToBuild {
  std::vector<TagFrame> Frames;
  Id3v2Layout Layout;
};
struct ApeToBuild {
  std::vector<std::pair<std::string, std::string>> Items;
  int Version = 2000;
  bool Header = true;
};
struct Lyrics3ToBuild {
  std::string Lyrics;
  int Version = 2;
};
struct Id3v1ToBuild {
  std::string Title;
};
using TagToBuild = std::variant<Id3v2ToBuild, ApeToBuild, Lyrics3ToBuild, Id3v1ToBuild>;

// The tag as the source holds it (piece 0), or as piece k of n should.
Bytes TagBytes(const TagToBuild& wanted, int piece, int pieces, bool firstId3v2) {
  const std::string track = std::to_string(piece) + "/" + std::to_string(pieces);
  if (const auto* id3v2 = std::get_if<Id3v2ToBuild>(&wanted)) {
    const std::string id = id3v2->Layout.Version == 2 ? "TRK" : "TRCK";
    const bool holds = std::any_of(id3v2->Frames.begin(), id3v2->Frames.end(),
                                   [&id](const TagFrame& frame) { return frame.Id == id; });
    if (piece == 0 || !(holds || firstId3v2)) {
      return Id3v2Of(id3v2->Frames, id3v2->Layout);
    }
    return Id3v2Of(WithText(id3v2->Frames, id, track), id3v2->Layout);
  }
  if (const auto* ape = std::get_if<ApeToBuild>(&wanted)) {
    auto items = ape->Items;
    for (auto& [key, value] : items) {
      value = key == "Track" && piece > 0 ? track : value;
    }
    return ApeOf(items, ape->Version, ape->Header);
  }
  if (const auto* lyrics = std::get_if<Lyrics3ToBuild>(&wanted)) {
    return lyrics->Version == 2 ? Lyrics3v2Of(lyrics->Lyrics) : Lyrics3v1Of(lyrics->Lyrics);
  }
  return Id3v1Of(std::get<Id3v1ToBuild>(wanted).Title, piece == 0 ? 9 : piece);
}

struct TaggedSource {
  const char* Name;
  std::vector<TagToBuild> Before;
  std::vector<TagToBuild> After;
};

// A picture's worth of bytes, with every value (unsynchronisation's 0xFF
// followed by 0xE0 or more among them), ending in 0xFF.
Bytes Picture(std::size_t size) {
  Bytes body = {0, 'i', 'm', 'a', 'g', 'e', '/', 'j', 'p', 'e', 'g', 0, 3, 0};
  for (std::size_t i = 0; i < size; ++i) {
    body.push_back(static_cast<std::uint8_t>((i * 2654435761u) >> 24));
  }
  body.push_back(0xFF);
  return body;
}

const std::vector<TagFrame> kNames = {
    TextFrame("TIT2", "Harbour Lights"), TextFrame("TPE1", "The Brelvik Quartet"),
    TextFrame("TALB", "Night Ferry"), TextFrame("TDRC", "1997-12-04"), TextFrame("TCON", "Jazz")};

std::vector<TagFrame> With(std::vector<TagFrame> frames, const std::vector<TagFrame>& more) {
  frames.insert(frames.end(), more.begin(), more.end());
  return frames;
}

const TaggedSource kSources[] = {
    {"TwoId3v2Tags",
     {Id3v2ToBuild{With(kNames, {TextFrame("TRCK", "9")}), {.Version = 3}},
      Id3v2ToBuild{{{"APIC", Picture(200000)},
                    TextFrame("TXXX", std::string("MusicBrainz Album Id") + '\0' + "4f1c-8e2a")},
                   {.Version = 4, .Padding = 512}}},
     {}},
    // A frame of no bytes, which no reader takes, before everything else.
    {"MalformedFirstFrame", {Id3v2ToBuild{With({{"TXXX", {}}}, kNames), {.Version = 4}}}, {}},
    {"Id3v23ExtendedHeader",
     {Id3v2ToBuild{With(kNames, {TextFrame("TRCK", "9")}),
                   {.Version = 3, .ExtendedHeader = true, .Padding = 100}}},
     {}},
    {"Id3v23ExtendedHeaderWithCrc",
     {Id3v2ToBuild{kNames,
                   {.Version = 3, .ExtendedHeader = true, .ExtendedCrc = true, .Padding = 64}}},
     {}},
    {"Id3v24ExtendedHeaderWithCrcAndFooter",
     {Id3v2ToBuild{kNames,
                   {.Version = 4, .ExtendedHeader = true, .ExtendedCrc = true, .Footer = true}}},
     {}},
    {"Id3v22WithYearAndDate",
     {Id3v2ToBuild{{TextFrame("TT2", "Harbour Lights"), TextFrame("TP1", "The Brelvik Quartet"),
                    TextFrame("TYE", "1997"), TextFrame("TDA", "0412"), TextFrame("TRK", "3/12")},
                   {.Version = 2}}},
     {}},
    {"Id3v23Unsynchronised",
     {Id3v2ToBuild{With({{"APIC", Picture(5000)}, TextFrame("TRCK", "2")}, kNames),
                   {.Version = 3, .Unsynchronised = true}}},
     {}},
    {"ApeAndId3v1",
     {Id3v2ToBuild{kNames, {.Version = 4}}},
     {ApeToBuild{{{"Title", "Harbour Lights"}, {"Track", "9"}, {"Artist", "The Brelvik Quartet"}}},
      Id3v1ToBuild{"Harbour Lights"}}},
    {"Id3v1BeforeApeWithoutHeader",
     {},
     {Id3v1ToBuild{"Harbour Lights"},
      ApeToBuild{{{"Track", "9"}, {"Title", "Harbour Lights"}}, 2000, false}}},
    {"Apev1", {}, {ApeToBuild{{{"Title", "Harbour Lights"}, {"Track", "12"}}, 1000, false}}},
    {"Lyrics3v2AndId3v1",
     {},
     {Lyrics3ToBuild{"[00:01]Lights on the water"}, Id3v1ToBuild{"Harbour Lights"}}},
    {"Lyrics3v1AndId3v1",
     {},
     {Lyrics3ToBuild{"Lights on the water", 1}, Id3v1ToBuild{"Harbour Lights"}}},
    {"Id3v2WithFooterAtTheEnd",
     {},
     {Id3v2ToBuild{With(kNames, {TextFrame("TRCK", "9")}), {.Version = 4, .Footer = true}},
      Id3v1ToBuild{"Harbour Lights"}}},
};

constexpr double kCutsMs[] = {0, 700, 1900, kEndOfStream};

class TaggedPieces : public ::testing::TestWithParam<TaggedSource> {
 protected:
  static void SetUpTestSuite() {
    folder_ = new TempDir;
    audio_ = new Bytes(ReadBytes(EncodeWithLame(*folder_, "audio", {3.0, 44100, 2, {"-V", "2"}})));
  }
  static void TearDownTestSuite() {
    delete audio_;
    delete folder_;
  }

  void SetUp() override {
    for (const TagToBuild& tag : GetParam().Before) {
      Append(source_, TagBytes(tag, 0, 0, false));
    }
    Append(source_, *audio_);
    for (const TagToBuild& tag : GetParam().After) {
      Append(source_, TagBytes(tag, 0, 0, false));
    }
    WriteBytes(path_, source_);
    const IndexOutcome index = IndexStream(path_);
    ASSERT_TRUE(index.Layout) << index.Refusal;
    layout_ = *index.Layout;
    std::vector<CutRequest> requests;
    for (const double ms : kCutsMs) {
      requests.push_back({ms, std::to_string(ms)});
    }
    const PlanOutcome plan = PlanCuts(layout_, requests);
    ASSERT_TRUE(plan.Plan) << plan.Refusal;
    InputFile file(path_);
    SplitExact(file, layout_, *plan.Plan, dir_.File("piece-%track%.mp3"), {});
    for (int k = 1; k <= plan.Plan->Pieces(); ++k) {
      pieces_.push_back(PieceName(dir_.File("piece-%track%.mp3"), k));
    }
  }

  static void Append(Bytes& to, const Bytes& bytes) {
    to.insert(to.end(), bytes.begin(), bytes.end());
  }

  static TempDir* folder_;
  static Bytes* audio_;
  TempDir dir_;
  std::string path_ = dir_.File("tagged.mp3");
  Bytes source_;
  StreamLayout layout_;
  std::vector<std::string> pieces_;
};

TempDir* TaggedPieces::folder_ = nullptr;
Bytes* TaggedPieces::audio_ = nullptr;

TEST_P(TaggedPieces, AreFoundAroundTheAudio) {
  std::size_t tagsBefore = 0;
  for (const TagToBuild& tag : GetParam().Before) {
    tagsBefore += TagBytes(tag, 0, 0, false).size();
  }
  EXPECT_EQ(layout_.LeadingTags.size(), GetParam().Before.size());
  EXPECT_EQ(layout_.TrailingTags.size(), GetParam().After.size());
  EXPECT_EQ(layout_.Id3v2Bytes, static_cast<std::int64_t>(tagsBefore));
  EXPECT_EQ(layout_.AudioEnd, static_cast<std::int64_t>(tagsBefore + audio_->size()));
}

TEST_P(TaggedPieces, CarryEveryTagWithOnlyTheTrackNumberChanged) {
  const int pieces = static_cast<int>(pieces_.size());
  for (int k = 1; k <= pieces; ++k) {
    SCOPED_TRACE("piece " + std::to_string(k));
    Bytes before;
    bool first = true;
    for (const TagToBuild& tag : GetParam().Before) {
      Append(before, TagBytes(tag, k, pieces, first));
      first = first && !std::holds_alternative<Id3v2ToBuild>(tag);
    }
    Bytes after;
    for (const TagToBuild& tag : GetParam().After) {
      Append(after, TagBytes(tag, k, pieces, false));
    }
    const Bytes piece = ReadBytes(pieces_[static_cast<std::size_t>(k - 1)]);
    ASSERT_GE(piece.size(), before.size() + after.size());
    EXPECT_TRUE(std::equal(before.begin(), before.end(), piece.begin())) << "the tags before";
    EXPECT_TRUE(std::equal(after.rbegin(), after.rend(), piece.rbegin())) << "the tags after";
    // Between them, whole frames alone.
    const Bytes audio(piece.begin() + static_cast<std::ptrdiff_t>(before.size()),
                      piece.end() - static_cast<std::ptrdiff_t>(after.size()));
    const PieceFrames frames = WalkPiece(audio);
    EXPECT_EQ(frames.End, audio.size());
  }
}

TEST_P(TaggedPieces, JoinToTheSourceWithBothDecoders) {
  for (const auto decode : {DecodeStraight, DecodeWithFfmpeg}) {
    std::vector<std::int16_t> joined;
    for (const std::string& piece : pieces_) {
      const ReferenceDecode decoded = decode(piece);
      joined.insert(joined.end(), decoded.Samples.begin(), decoded.Samples.end());
    }
    EXPECT_TRUE(joined == decode(path_).Samples);
  }
}

INSTANTIATE_TEST_SUITE_P(Sources, TaggedPieces, ::testing::ValuesIn(kSources), CaseName());

// As TagLib reads them: the track number of each kind of tag, and the rest
// of the tag as the source's.
TEST(TaggedPiecesReadBack, GiveTheTrackNumberInEveryKindOfTagThatHoldsOne) {
  TempDir dir;
  const std::string path = EncodeWithLame(dir, "tagged", {3.0, 44100, 2, {"-V", "2"}});
  {
    TagLib::MPEG::File file(path.c_str());
    file.ID3v2Tag(true)->setTitle("Harbour Lights");
    file.ID3v2Tag()->setTrack(9);
    file.APETag(true)->setTitle("Harbour Lights");
    file.APETag()->setTrack(9);
    file.ID3v1Tag(true)->setTitle("Harbour Lights");
    file.ID3v1Tag()->setTrack(9);
    ASSERT_TRUE(file.save(TagLib::MPEG::File::AllTags, TagLib::File::StripNone, TagLib::ID3v2::v3));
  }
  const IndexOutcome index = IndexStream(path);
  ASSERT_TRUE(index.Layout) << index.Refusal;
  const PlanOutcome plan =
      PlanCuts(*index.Layout, {{0, "0"}, {1500, "1.5"}, {kEndOfStream, "end"}});
  ASSERT_TRUE(plan.Plan) << plan.Refusal;
  InputFile file(path);
  SplitExact(file, *index.Layout, *plan.Plan, dir.File("piece-%track%.mp3"), {});
  for (int k = 1; k <= 2; ++k) {
    TagLib::MPEG::File piece(dir.File("piece-" + std::to_string(k) + ".mp3").c_str());
    ASSERT_TRUE(piece.hasID3v2Tag() && piece.hasAPETag() && piece.hasID3v1Tag());
    EXPECT_EQ(piece.ID3v2Tag()->header()->majorVersion(), 3u);
    for (const TagLib::Tag* tag :
         {static_cast<TagLib::Tag*>(piece.ID3v2Tag()), static_cast<TagLib::Tag*>(piece.APETag()),
          static_cast<TagLib::Tag*>(piece.ID3v1Tag())}) {
      EXPECT_EQ(tag->track(), static_cast<unsigned>(k));
      EXPECT_EQ(tag->title(), "Harbour Lights");
    }
    EXPECT_EQ(piece.ID3v2Tag()->frameListMap()["TRCK"].front()->toString(),
              std::to_string(k) + "/2");
  }
}

}  // namespace
}  // namespace brelvik::exact
