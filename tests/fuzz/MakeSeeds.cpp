// Writes the fuzz targets' starting inputs into FOLDER/<target>/: byte-built
// streams of every kind the analysis knows, a few files encoded with lame,
// breakpoint texts and breakpoint list operations, cue sheets in several
// encodings and texts to quote.
//
// Usage: brelvik-fuzz-seeds FOLDER
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "Lame.h"
#include "StreamBuilder.h"
#include "TagBuilder.h"
#include "TempDir.h"

namespace {

namespace fs = std::filesystem;
using brelvik::testing::Bytes;
using brelvik::testing::EncodeOptions;
using brelvik::testing::HeaderFields;
using brelvik::testing::StreamBuilder;

class Seeds {
 public:
  explicit Seeds(fs::path folder) : folder_(std::move(folder)) {}

  void Add(const std::string& target, const Bytes& bytes) {
    const fs::path dir = folder_ / target;
    fs::create_directories(dir);
    brelvik::testing::WriteBytes((dir / std::to_string(count_++)).string(), bytes);
  }

 private:
  fs::path folder_;
  int count_ = 0;
};

Bytes With(Bytes prefix, const Bytes& rest) {
  prefix.insert(prefix.end(), rest.begin(), rest.end());
  return prefix;
}

// Frames between tags of every kind exact pieces carry.
Bytes Tagged() {
  using namespace brelvik::testing;
  const std::vector<TagFrame> frames = {
      TextFrame("TIT2", "Title"), TextFrame("TRCK", "3"), {"APIC", Bytes(300, 0xFF)}};
  return StreamBuilder()
      .Raw(Id3v2Of(
          frames,
          {.Version = 3, .Unsynchronised = true, .ExtendedHeader = true, .ExtendedCrc = true}))
      .Raw(Id3v2Of({TextFrame("TT2", "Title"), TextFrame("TRK", "3")}, {.Version = 2}))
      .Frames(HeaderFields{}, 10)
      .Raw(ApeOf({{"Track", "3"}, {"Title", "Title"}}, 2000, true))
      .Raw(Lyrics3v2Of("la la"))
      .Raw(Id3v2Of(frames, {.Version = 4, .ExtendedHeader = true, .Footer = true}))
      .Raw(Id3v1Of("Title", 3))
      .Get();
}

std::vector<Bytes> Streams() {
  HeaderFields mpeg2;
  mpeg2.VersionIndex = 2;
  mpeg2.BitRateIndex = 8;
  HeaderFields layerII;
  layerII.LayerIndex = 2;
  HeaderFields mono;
  mono.ChannelMode = 3;
  mono.Padded = true;
  return {
      StreamBuilder().Frames(HeaderFields{}, 12).Get(),
      StreamBuilder().ID3v2({0, 0, 1, 0}, 118).Junk(30).Frames(HeaderFields{}, 10).ID3v1().Get(),
      StreamBuilder().XingFrame(HeaderFields{}, 36, 10, 4170).Frames(HeaderFields{}, 10).Get(),
      StreamBuilder().VbriFrame(mono, 36, 8, 3000).Frames(mono, 8).Get(),
      StreamBuilder().Frames(mpeg2, 8).Frames(HeaderFields{}, 4).Get(),
      StreamBuilder().Frames(layerII, 8).Junk(200, 0x41).Frames(layerII, 4).Get(),
      Tagged(),
  };
}

std::vector<Bytes> LameFiles() {
  brelvik::testing::TempDir dir;
  std::vector<Bytes> files;
  const std::vector<EncodeOptions> encodings = {
      {.Seconds = 0.5, .LameArgs = {"-b", "128"}},
      {.Seconds = 0.5, .LameArgs = {"-V", "2"}},
      {.Seconds = 0.5, .SampleRate = 16000, .Channels = 1, .LameArgs = {"-b", "48", "-m", "m"}},
  };
  for (std::size_t i = 0; i < encodings.size(); ++i) {
    const std::string path =
        brelvik::testing::EncodeWithLame(dir, "seed" + std::to_string(i), encodings[i]);
    files.push_back(brelvik::testing::ReadBytes(path));
  }
  return files;
}

Bytes Text(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

// ASCII text as UTF-16 with its byte order mark.
Bytes Utf16(const std::string& text, bool littleEndian) {
  Bytes bytes = littleEndian ? Bytes{0xFF, 0xFE} : Bytes{0xFE, 0xFF};
  for (const char c : text) {
    bytes.push_back(littleEndian ? static_cast<std::uint8_t>(c) : 0);
    bytes.push_back(littleEndian ? 0 : static_cast<std::uint8_t>(c));
  }
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: brelvik-fuzz-seeds FOLDER\n";
    return 2;
  }
  Seeds seeds(argv[1]);
  std::vector<Bytes> files = Streams();
  for (Bytes& file : LameFiles()) {
    files.push_back(std::move(file));
  }
  for (const Bytes& file : files) {
    seeds.Add("analysis", With({0, 0}, file));
    seeds.Add("analysis", With({3, 0}, file));
    seeds.Add("analysis", With({0, 2}, file));
    seeds.Add("exact_index", With({0, 0, 0, 40, 0, 0, 0, 80}, file));
  }
  for (const char* text : {"0", "1200", "007", "99999999999", "3:25.5", "1:02:03.250",
                           "596:31:23.647", "0:59:59.999", "-5", "+12", "1:60", "1:05."}) {
    seeds.Add("breakpoint_text", Text(text));
  }
  for (const char* sheet :
       {"PERFORMER \"Band\"\r\nTITLE \"Live\"\r\nFILE \"live.mp3\" WAVE\r\n  TRACK 01 AUDIO\r\n"
        "    TITLE \"One\"\r\n    INDEX 01 00:00:00\r\n  TRACK 02 AUDIO\r\n    INDEX 00 "
        "03:58:40\r\n    INDEX 01 04:00:00\r\n",
        "REM END 12:00:00\nFILE set.mp3 MP3\nTRACK 1 AUDIO\nINDEX 01 0:0:0\nTRACK 2 AUDIO\n"
        "FLAGS DCP\nPREGAP 00:02:00\nINDEX 01 125:00:74\n",
        "\xEF\xBB\xBF"
        "FILE \"caf\xE9.mp3\" MP3\n TRACK 01 AUDIO\n TITLE \"Ni\xC3\xB1o\"\n INDEX 01 "
        "00:01:00\n"}) {
    seeds.Add("cue_sheet", Text(sheet));
  }
  // Sheets in other encodings, and lines of every kind libcue reads.
  const std::string wide =
      "TITLE \"Wide\"\r\nFILE \"w.mp3\" MP3\r\nTRACK 01 AUDIO\r\nINDEX 01 00:00:00\r\n"
      "TRACK 02 AUDIO\r\nINDEX 01 00:10:00\r\n";
  seeds.Add("cue_sheet", Utf16(wide, true));
  seeds.Add("cue_sheet", Utf16(wide, false));
  for (const char* sheet :
       {"PERFORMER \"Don\x92t \x93stop\x94 \x80\"\nFILE \"caf\xE9.mp3\" MP3\nTRACK 01 AUDIO\n"
        "TITLE \"\x81\x8D\x8F\x90\x9D\"\nINDEX 01 00:00:00\n",
        "FILE \"a\xC0\xAF.mp3\" MP3\nTRACK 01 AUDIO\nTITLE \"\xED\xA0\x80\xF4\x90\x80\x80\"\n"
        "INDEX 01 00:00:00\n",
        "REM GENRE Rock\nREM DATE\nCATALOG 0724384960650\nCDTEXTFILE \"x.cdt\"\n"
        "SONGWRITER s\nFILE \"C:\\Rips\\a.wav\" WAVE\n  TRACK 01 AUDIO\n    FLAGS DCP 4CH PRE "
        "SCMS\n"
        "    ISRC USRC17607839\n    COMPOSER c\n    PREGAP 00:02:00\n    INDEX 00 00:00:00\n"
        "    INDEX 01 00:00:32\n    POSTGAP 00:01:00\n  TRACK 02 MODE1/2352\n    INDEX 01 "
        "01:00:00\n  FILE \"C:\\Rips\\a.wav\" WAVE\n  TRACK 03 AUDIO\n    TITLE \"a\\\"b\"\n    "
        "INDEX 01 "
        "02:00:00\n",
        "FILE \"\x1b]0;pwned\x07\x1b[2J.mp3\" MP3\nTRACK 01 AUDIO\nTITLE \"<h1>x\"\nINDEX 01 "
        "00:00:00\n"}) {
    seeds.Add("cue_sheet", Text(sheet));
  }
  for (const char* text :
       {"plain.mp3", "\x1b]0;title\x07\x1b[2Jfake", "caf\xC3\xA9 \xE2\x80\x9Cq\xE2\x80\x9D",
        "c1 \xC2\x9B"
        "31m raw \x9B",
        "\xC0\xAF\xED\xA0\x80\xF4\x90\x80\x80\xF0\x9F\x8E\xB5", "tab\tnew\nline\r\x7F",
        "Don\x92t \x81"}) {
    seeds.Add("terminal_text", Text(text));
  }
  // Add "120" typed against 1,000 frames, add the current frame "50",
  // select the second entry, delete it, reset.
  seeds.Add("breakpoint_list", {1, '1', '2', '0', 0, 0, 0, 3, 232, 0, '5', '0', 0, 2, 2, 3, 4});
  seeds.Add("breakpoint_list", {1,   '-', '9', '9', 0, 0,  0, 0,   10, 1, '0', '0',
                                '7', 0,   0,   0,   0, 10, 0, '7', 0,  2, 1,   3});
  return 0;
}
