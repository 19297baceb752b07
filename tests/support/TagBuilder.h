// Tags built byte by byte for the tests, independently of the code under
// test: ID3v2 (versions 2.2 to 2.4, with unsynchronisation, an extended
// header with or without CRC, a footer, padding), APE (versions 1 and 2),
// Lyrics3 (versions 1 and 2) and ID3v1.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "TempDir.h"

namespace brelvik::testing {

struct TagFrame {
  std::string Id;  // three characters in version 2.2, four later
  Bytes Body;
};

// A text frame of Latin-1 text.
TagFrame TextFrame(const std::string& id, const std::string& text);

struct Id3v2Layout {
  int Version = 4;
  bool Unsynchronised = false;
  bool ExtendedHeader = false;
  bool ExtendedCrc = false;  // the extended header states a CRC-32 of the frames
  bool Footer = false;       // version 2.4
  std::size_t Padding = 0;
};

Bytes Id3v2Of(const std::vector<TagFrame>& frames, const Id3v2Layout& layout);

// The frames with those of the given id given this text (or added at the end
// where there is none).
std::vector<TagFrame> WithText(std::vector<TagFrame> frames, const std::string& id,
                               const std::string& text);

// APE items (key and UTF-8 value); version 2000 or 1000, with a header or not.
Bytes ApeOf(const std::vector<std::pair<std::string, std::string>>& items, int version,
            bool header);
Bytes Lyrics3v2Of(const std::string& lyrics);
Bytes Lyrics3v1Of(const std::string& lyrics);
Bytes Id3v1Of(const std::string& title, int track);

}  // namespace brelvik::testing
