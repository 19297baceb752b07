// Real files of every format the encoders make, split at several times and
// judged as a listener would: each piece is whole frames under its own header
// frame, plays as long as it says from where it was asked to start, and the
// pieces played one after another sound exactly like the source.
#include <gtest/gtest.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <sstream>
#include <stdexcept>

#include "ExactTestSupport.h"
#include "Lame.h"
#include "ReferenceDecode.h"
#include "exact/ExactSplit.h"
#include "split/OutputNaming.h"

namespace brelvik::exact {
namespace {

using brelvik::exact::PrintTo;
using brelvik::testing::EncodeOptions;
using brelvik::testing::ReferenceDecode;

// How far the joined pieces may differ from the source (see ExactSplit.h).
enum class Join { Exact, LayerII, MonoRounding };
constexpr std::int64_t kSynthesisWarmUp = 15 * 32;
// Samples a cut may leave off by one in MPEG 2 / 2.5 mono; splitting a file at
// every frame in turn never left more than 21.
constexpr int kMostRoundingsPerCut = 32;

struct Source {
  std::string Name;
  EncodeOptions Encoding;
  Join Joins = Join::Exact;
  // After its scan of the whole stream libmpg123 runs only the last two of a
  // piece's priming frames through the synthesis filter, and in mono and in
  // MPEG 2 and 2.5 streams that rounds a few samples of some pieces one step
  // differently; MPEG 1 stereo is exact either way.
  Join PlayerJoins = Join::Exact;
  std::vector<double> CutsMs = {0, 60, 790, 1517.3, 2260, kEndOfStream};
};

EncodeOptions Lame(std::vector<std::string> args, int rate = 44100, int channels = 2) {
  return {3.0, rate, channels, std::move(args)};
}

const Source kSources[] = {
    {"cbr128", Lame({"-b", "128"})},
    {"cbr320", Lame({"-b", "320"})},
    {"vbr", Lame({"-V", "2"})},
    {"rate48k", Lame({"-b", "160"}, 48000)},
    {"mpeg2", Lame({"-b", "64"}, 22050), Join::Exact, Join::MonoRounding},
    {"mpeg25", Lame({"-b", "24"}, 8000), Join::Exact, Join::MonoRounding},
    {"mono", Lame({"-m", "m", "-b", "96"}, 44100, 1), Join::Exact, Join::MonoRounding},
    {"mpeg2mono", Lame({"-m", "m", "-b", "32"}, 22050, 1), Join::MonoRounding, Join::MonoRounding},
    {"noInfoFrame", Lame({"-t", "-b", "128"})},
    {"checksummed", Lame({"-p", "-b", "128"})},
    {"checksummedVbr", Lame({"-p", "-V", "2"})},
    {"tagged", Lame({"-b", "128"})},
    {"layerII", Lame({}), Join::LayerII, Join::LayerII},
};

const Source& SourceNamed(const std::string& name) {
  return *std::find_if(std::begin(kSources), std::end(kSources),
                       [&](const Source& source) { return source.Name == name; });
}

// A 300 KB picture and text frames in ID3v2.4 (the whole file's length among
// them), and an ID3v1.1 tag.
void AddTags(const std::string& path) {
  TagLib::MPEG::File file(path.c_str());
  TagLib::ID3v2::Tag* id3v2 = file.ID3v2Tag(true);
  id3v2->setTitle("Harbour Lights");
  id3v2->setArtist("The Brelvik Quartet");
  id3v2->setAlbum("Night Ferry");
  id3v2->setComment("recorded live");
  id3v2->setTrack(9);
  auto* length = new TagLib::ID3v2::TextIdentificationFrame("TLEN", TagLib::String::Latin1);
  length->setText("3000");
  id3v2->addFrame(length);
  auto* picture = new TagLib::ID3v2::AttachedPictureFrame;
  TagLib::ByteVector art(300u * 1024u, 0);
  for (unsigned i = 0; i < art.size(); ++i) {
    art[static_cast<int>(i)] = static_cast<char>((i * 2654435761u) >> 24);
  }
  picture->setMimeType("image/jpeg");
  picture->setPicture(art);
  id3v2->addFrame(picture);
  file.ID3v1Tag(true)->setTitle("Harbour Lights");
  file.ID3v1Tag()->setTrack(9);
  file.save(TagLib::MPEG::File::AllTags, TagLib::File::StripNone, TagLib::ID3v2::v4);
}

struct SplitSource {
  std::string Path;
  StreamLayout Layout;
  std::vector<std::string> Pieces;
};

// Each source is encoded and split once per run of the test program.
const SplitSource& SplitOf(const Source& source) {
  static const brelvik::testing::TempDir folder;
  static std::map<std::string, SplitSource> done;
  if (const auto found = done.find(source.Name); found != done.end()) {
    return found->second;
  }
  SplitSource split;
  if (source.Joins == Join::LayerII) {
    const std::string wav = folder.File(source.Name + ".wav");
    split.Path = folder.File(source.Name + ".mp2");
    brelvik::testing::WriteToneWav(wav, source.Encoding);
    if (brelvik::testing::RunCommand({BRELVIK_SOX, wav, "-C", "192", split.Path}).ExitCode != 0) {
      throw std::runtime_error("sox cannot encode Layer II");
    }
  } else {
    split.Path = brelvik::testing::EncodeWithLame(folder, source.Name, source.Encoding);
  }
  if (source.Name == "tagged") {
    AddTags(split.Path);
  }
  const IndexOutcome index = IndexStream(split.Path);
  if (!index.Layout) {
    throw std::runtime_error(index.Refusal);
  }
  split.Layout = *index.Layout;
  std::vector<CutRequest> requests;
  for (const double ms : source.CutsMs) {
    requests.push_back({ms, std::to_string(ms)});
  }
  const PlanOutcome plan = PlanCuts(split.Layout, requests);
  if (!plan.Plan) {
    throw std::runtime_error(plan.Refusal);
  }
  const std::string pieceTemplate = folder.File(source.Name + "-%track%.mp3");
  InputFile file(split.Path);
  SplitExact(file, split.Layout, *plan.Plan, pieceTemplate, {});
  for (int k = 1; k <= plan.Plan->Pieces(); ++k) {
    split.Pieces.push_back(PieceName(pieceTemplate, k));
  }
  return done.emplace(source.Name, split).first->second;
}

class ExactPieces : public ::testing::TestWithParam<Source> {
 protected:
  const SplitSource& split_ = SplitOf(GetParam());

  void ExpectJoinedSoundLikeTheSource(ReferenceDecode (*decode)(const std::string&), Join joins) {
    const ReferenceDecode source = decode(split_.Path);
    EXPECT_EQ(source.Frames(), split_.Layout.Samples()) << "the walk's decoded span";
    std::vector<std::int16_t> joined;
    std::vector<std::int64_t> starts;  // sample frames
    for (std::size_t k = 0; k < split_.Pieces.size(); ++k) {
      const ReferenceDecode piece = decode(split_.Pieces[k]);
      EXPECT_EQ(piece.ReportedLength, piece.Frames()) << "piece " << k + 1;
      starts.push_back(static_cast<std::int64_t>(joined.size()) / source.Channels);
      const double asked = GetParam().CutsMs[k] * static_cast<double>(source.Rate) / 1000;
      EXPECT_LE(std::abs(static_cast<double>(starts.back()) - asked),
                split_.Layout.SamplesPerFrame / 2.0)
          << "piece " << k + 1;
      joined.insert(joined.end(), piece.Samples.begin(), piece.Samples.end());
    }
    ASSERT_EQ(joined.size(), source.Samples.size());
    const auto warmingUp = [&](std::int64_t frame) {
      return std::any_of(starts.begin() + 1, starts.end(), [&](std::int64_t start) {
        return frame >= start && frame < start + kSynthesisWarmUp;
      });
    };
    int differing = 0;
    int largest = 0;
    std::int64_t first = -1;  // sample frame
    for (std::size_t i = 0; i < joined.size(); ++i) {
      const int difference = std::abs(joined[i] - source.Samples[i]);
      const std::int64_t frame = static_cast<std::int64_t>(i) / source.Channels;
      if (difference != 0 && !(joins == Join::LayerII && warmingUp(frame))) {
        first = differing++ == 0 ? frame : first;
        largest = std::max(largest, difference);
      }
    }
    if (joins == Join::MonoRounding) {
      EXPECT_LE(largest, 1);
      EXPECT_LE(differing, kMostRoundingsPerCut * static_cast<int>(starts.size() - 1));
    } else {
      EXPECT_EQ(differing, 0) << "samples differ by up to " << largest << ", the first in piece "
                              << std::upper_bound(starts.begin(), starts.end(), first) -
                                     starts.begin()
                              << " at sample frame " << first;
    }
  }
};

TEST_P(ExactPieces, AreWholeFramesUnderAHeaderFrameThatCountsThem) {
  for (std::size_t k = 0; k < split_.Pieces.size(); ++k) {
    SCOPED_TRACE("piece " + std::to_string(k + 1));
    const Bytes piece = brelvik::testing::ReadBytes(split_.Pieces[k]);
    const PieceFrames frames = WalkPiece(piece);
    ASSERT_GE(frames.Offsets.size(), 2u);
    EXPECT_TRUE(frames.EndsCleanly) << piece.size() - frames.End << " bytes after the frames";
    if (GetParam().Joins == Join::LayerII) {
      continue;
    }
    const std::size_t xing = XingAt(piece, frames.Offsets[0]);
    const std::string id(piece.begin() + static_cast<std::ptrdiff_t>(xing),
                         piece.begin() + static_cast<std::ptrdiff_t>(xing + 4));
    ASSERT_EQ(id, split_.Layout.VariableRate ? "Xing" : "Info");
    ASSERT_EQ(BigEndian(piece, xing + 4, 4) & 3, 3u) << "frame and byte counts present";
    EXPECT_EQ(BigEndian(piece, xing + 8, 4), frames.Offsets.size() - 1);
    EXPECT_EQ(BigEndian(piece, xing + 12, 4), frames.End - frames.Offsets[0]);
    const std::size_t lame = xing + 120;
    EXPECT_EQ(BigEndian(piece, lame + 32, 2), BitwiseCrc16(piece, frames.Offsets[1], frames.End));
    EXPECT_EQ(BigEndian(piece, lame + 34, 2), BitwiseCrc16(piece, frames.Offsets[0], lame + 34));
  }
  // mp3val doubts any file of fewer than ten frames, and knows only Layer III.
  for (const std::string& piece : split_.Pieces) {
    const bool short_ = WalkPiece(brelvik::testing::ReadBytes(piece)).Offsets.size() < 10;
    std::istringstream report(brelvik::testing::RunCommand({BRELVIK_MP3VAL, piece}).Out);
    for (std::string line; std::getline(report, line);) {
      EXPECT_TRUE(!(line.starts_with("WARNING") || line.starts_with("ERROR")) ||
                  line.find("No supported tags") != std::string::npos ||
                  line.find("Non-layer-III frame") != std::string::npos ||
                  (short_ && line.find("Too few MPEG frames") != std::string::npos))
          << line;
    }
  }
}

TEST_P(ExactPieces, JoinedSoundLikeTheSourceDecodedStraight) {
  ExpectJoinedSoundLikeTheSource(brelvik::testing::DecodeStraight, GetParam().Joins);
}

// The program's own playback scans the stream for its length before playing.
TEST_P(ExactPieces, JoinedSoundLikeTheSourceInTheProgramsPlayer) {
  ExpectJoinedSoundLikeTheSource(brelvik::testing::DecodeAsPlayer, GetParam().PlayerJoins);
}

// A player that ignores the header frame plays every frame of a piece: what
// it hears before the piece's own audio is silence but for the frames the
// decoder's state needs, one frame (MPEG 1) or two of half the length (MPEG 2
// and 2.5), and then the piece's audio as a gapless decoder gives it.
TEST_P(ExactPieces, GivePlayersThatIgnoreTheHeaderFrameAtMostAFrameOfTheAudioBefore) {
  if (GetParam().Joins == Join::LayerII) {
    // Bare frames: such players play them as gapless ones do.
    for (const std::string& piece : split_.Pieces) {
      EXPECT_TRUE(brelvik::testing::DecodeWithoutGapless(piece).Samples ==
                  brelvik::testing::DecodeStraight(piece).Samples);
    }
    return;
  }
  const int spf = split_.Layout.SamplesPerFrame;
  const int stateSamples = 1152;  // one MPEG 1 frame, two MPEG 2 and 2.5 frames
  for (std::size_t k = 1; k < split_.Pieces.size(); ++k) {
    SCOPED_TRACE("piece " + std::to_string(k + 1));
    const Bytes piece = brelvik::testing::ReadBytes(split_.Pieces[k]);
    const std::size_t gapless = XingAt(piece, WalkPiece(piece).Offsets[0]) + 120 + 21;
    const int delay = (piece[gapless] << 4) | (piece[gapless + 1] >> 4);
    const ReferenceDecode heard = brelvik::testing::DecodeWithoutGapless(split_.Pieces[k]);
    const ReferenceDecode played = brelvik::testing::DecodeStraight(split_.Pieces[k]);
    const auto own = static_cast<std::size_t>((delay + 529) * heard.Channels);
    ASSERT_GE(heard.Samples.size(), own);
    const auto sounding = std::find_if(heard.Samples.begin(), heard.Samples.end(),
                                       [](std::int16_t sample) { return sample != 0; });
    EXPECT_LE(heard.Samples.begin() + static_cast<std::ptrdiff_t>(own) - sounding,
              stateSamples * heard.Channels)
        << (delay + 529) / spf << " frames before the piece's own";
    // The command-line player gives mono as two channels.
    std::vector<std::int16_t> ownAudio;
    for (std::size_t i = own; i < heard.Samples.size();
         i += 2 / static_cast<std::size_t>(played.Channels)) {
      ownAudio.push_back(heard.Samples[i]);
    }
    ownAudio.resize(std::min(ownAudio.size(), played.Samples.size()));
    EXPECT_TRUE(ownAudio ==
                std::vector<std::int16_t>(
                    played.Samples.begin(),
                    played.Samples.begin() + static_cast<std::ptrdiff_t>(ownAudio.size())));
  }
}

INSTANTIATE_TEST_SUITE_P(Sources, ExactPieces, ::testing::ValuesIn(kSources), CaseName());

TEST(ExactPieceTags, CarryTheTrackNumberAndEverythingElseUnchanged) {
  const SplitSource& split = SplitOf(SourceNamed("tagged"));
  ASSERT_GT(split.Layout.Id3v2Bytes, 300 * 1024);
  TagLib::MPEG::File source(split.Path.c_str());
  const auto& sourceFrames = source.ID3v2Tag()->frameListMap();
  const int pieces = static_cast<int>(split.Pieces.size());
  for (int k = 1; k <= pieces; ++k) {
    SCOPED_TRACE("piece " + std::to_string(k));
    TagLib::MPEG::File piece(split.Pieces[static_cast<std::size_t>(k - 1)].c_str());
    ASSERT_TRUE(piece.hasID3v2Tag() && piece.hasID3v1Tag());
    const auto& frames = piece.ID3v2Tag()->frameListMap();
    EXPECT_EQ(frames["TRCK"].front()->toString(), std::to_string(k) + "/" + std::to_string(pieces));
    const ReferenceDecode decoded =
        brelvik::testing::DecodeStraight(split.Pieces[static_cast<std::size_t>(k - 1)]);
    EXPECT_EQ(frames["TLEN"].front()->toString().toInt(),
              std::lround(static_cast<double>(decoded.Frames()) * 1000 /
                          static_cast<double>(decoded.Rate)));
    EXPECT_EQ(frames.size(), sourceFrames.size());
    for (const auto& [id, list] : sourceFrames) {
      const std::string name(id.data(), id.size());
      if (name != "TRCK" && name != "TLEN") {
        ASSERT_TRUE(frames.contains(id)) << name;
        EXPECT_TRUE(frames[id].front()->render() == list.front()->render()) << name;
      }
    }
    EXPECT_EQ(piece.ID3v1Tag()->track(), static_cast<unsigned>(k));
    EXPECT_EQ(piece.ID3v1Tag()->title(), source.ID3v1Tag()->title());
  }
}

// A Layer II piece has no header frame, and libmpg123 opens no file that
// holds a single frame: such a piece is refused before anything is written.
TEST(ExactLayerIIPieces, OfASingleFrameAreRefused) {
  const brelvik::testing::TempDir folder;
  const std::string wav = folder.File("tone.wav");
  const std::string path = folder.File("tone.mp2");
  brelvik::testing::WriteToneWav(wav, Lame({}));
  ASSERT_EQ(brelvik::testing::RunCommand({BRELVIK_SOX, wav, "-C", "192", path}).ExitCode, 0);
  const IndexOutcome index = IndexStream(path);
  ASSERT_TRUE(index.Layout) << index.Refusal;
  const PlanOutcome oneFrame = PlanCuts(*index.Layout, {{0, "0"}, {26.1, "1"}, {2000, "77"}});
  EXPECT_FALSE(oneFrame.Plan);
  EXPECT_EQ(oneFrame.Refusal,
            "Piece 1 would hold a single frame, too short for players to open: breakpoints 0 and "
            "1 lie too close");
  const PlanOutcome twoFrames = PlanCuts(*index.Layout, {{0, "0"}, {52.2, "2"}});
  ASSERT_TRUE(twoFrames.Plan) << twoFrames.Refusal;
  InputFile file(path);
  SplitExact(file, *index.Layout, *twoFrames.Plan, folder.File("tone-%track%.mp2"), {});
  EXPECT_EQ(brelvik::testing::DecodeStraight(folder.File("tone-1.mp2")).Frames(), 2 * 1152);
}

}  // namespace
}  // namespace brelvik::exact
