#include "TagBuilder.h"

#include <stdexcept>

namespace brelvik::testing {
namespace {

void Append(Bytes& to, const Bytes& bytes) {
  to.insert(to.end(), bytes.begin(), bytes.end());
}

void AppendText(Bytes& to, const std::string& text) {
  to.insert(to.end(), text.begin(), text.end());
}

Bytes BigEndian(std::uint32_t value, int bytes) {
  Bytes out;
  for (int i = bytes - 1; i >= 0; --i) {
    out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  }
  return out;
}

Bytes LittleEndian(std::uint32_t value) {
  return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
          static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

Bytes Synchsafe(std::uint32_t value, int bytes = 4) {
  Bytes out;
  for (int i = bytes - 1; i >= 0; --i) {
    out.push_back(static_cast<std::uint8_t>((value >> (7 * i)) & 0x7F));
  }
  return out;
}

std::uint32_t Crc32(const Bytes& bytes) {
  std::uint32_t crc = 0xFFFFFFFF;
  for (const std::uint8_t byte : bytes) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc & 1) != 0 ? (crc >> 1) ^ 0xEDB88320 : crc >> 1;
    }
  }
  return ~crc;
}

// 0x00 after each 0xFF that 0xE0 or more, 0x00 or the end follows.
Bytes Unsynchronise(const Bytes& bytes) {
  Bytes out;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    out.push_back(bytes[i]);
    if (bytes[i] == 0xFF && (i + 1 == bytes.size() || bytes[i + 1] >= 0xE0 || bytes[i + 1] == 0)) {
      out.push_back(0);
    }
  }
  return out;
}

}  // namespace

TagFrame TextFrame(const std::string& id, const std::string& text) {
  Bytes body = {0};
  AppendText(body, text);
  return {id, body};
}

Bytes Id3v2Of(const std::vector<TagFrame>& frames, const Id3v2Layout& layout) {
  Bytes framesBytes;
  for (const TagFrame& frame : frames) {
    AppendText(framesBytes, frame.Id);
    const auto size = static_cast<std::uint32_t>(frame.Body.size());
    if (layout.Version == 2) {
      Append(framesBytes, BigEndian(size, 3));
    } else {
      Append(framesBytes, layout.Version == 3 ? BigEndian(size, 4) : Synchsafe(size));
      Append(framesBytes, {0, 0});
    }
    Append(framesBytes, frame.Body);
  }
  Bytes extended;
  if (layout.ExtendedHeader && layout.Version == 3) {
    extended = BigEndian(layout.ExtendedCrc ? 10 : 6, 4);
    Append(extended, {static_cast<std::uint8_t>(layout.ExtendedCrc ? 0x80 : 0), 0});
    Append(extended, BigEndian(static_cast<std::uint32_t>(layout.Padding), 4));
    if (layout.ExtendedCrc) {
      Append(extended, BigEndian(Crc32(framesBytes), 4));
    }
  } else if (layout.ExtendedHeader) {
    Bytes flagData;
    std::uint8_t flags = 0;
    if (layout.ExtendedCrc) {
      flags = 0x20;
      Bytes padded = framesBytes;
      padded.insert(padded.end(), layout.Padding, 0);
      flagData = {5};
      Append(flagData, Synchsafe(Crc32(padded), 5));
    }
    extended = Synchsafe(static_cast<std::uint32_t>(6 + flagData.size()));
    Append(extended, {1, flags});
    Append(extended, flagData);
  }
  Bytes body = extended;
  Append(body, framesBytes);
  body.insert(body.end(), layout.Padding, 0);
  std::uint8_t flags = (layout.ExtendedHeader ? 0x40 : 0) | (layout.Footer ? 0x10 : 0);
  if (layout.Unsynchronised) {
    flags |= 0x80;
    if (layout.Version < 4) {
      body = Unsynchronise(body);
    }
  }
  Bytes tag = {'I', 'D', '3', static_cast<std::uint8_t>(layout.Version), 0, flags};
  Append(tag, Synchsafe(static_cast<std::uint32_t>(body.size())));
  Append(tag, body);
  if (layout.Footer) {
    Bytes footer(tag.begin(), tag.begin() + 10);
    footer[0] = '3', footer[1] = 'D', footer[2] = 'I';
    Append(tag, footer);
  }
  return tag;
}

std::vector<TagFrame> WithText(std::vector<TagFrame> frames, const std::string& id,
                               const std::string& text) {
  bool found = false;
  for (TagFrame& frame : frames) {
    if (frame.Id == id && !found) {
      frame = TextFrame(id, text);
      found = true;
    }
  }
  if (!found) {
    frames.push_back(TextFrame(id, text));
  }
  return frames;
}

Bytes ApeOf(const std::vector<std::pair<std::string, std::string>>& items, int version,
            bool header) {
  Bytes itemBytes;
  for (const auto& [key, value] : items) {
    Append(itemBytes, LittleEndian(static_cast<std::uint32_t>(value.size())));
    Append(itemBytes, LittleEndian(0));
    AppendText(itemBytes, key);
    itemBytes.push_back(0);
    AppendText(itemBytes, value);
  }
  const auto frame = [&](bool isHeader) {
    Bytes bytes;
    AppendText(bytes, "APETAGEX");
    Append(bytes, LittleEndian(static_cast<std::uint32_t>(version)));
    Append(bytes, LittleEndian(static_cast<std::uint32_t>(itemBytes.size() + 32)));
    Append(bytes, LittleEndian(static_cast<std::uint32_t>(items.size())));
    Append(bytes, LittleEndian((header ? 0x80000000u : 0) | (isHeader ? 0x20000000u : 0)));
    bytes.insert(bytes.end(), 8, 0);
    return bytes;
  };
  Bytes tag = header ? frame(true) : Bytes{};
  Append(tag, itemBytes);
  Append(tag, frame(false));
  return tag;
}

Bytes Lyrics3v2Of(const std::string& lyrics) {
  const auto digits = [](std::size_t value, int width) {
    std::string text = std::to_string(value);
    return std::string(static_cast<std::size_t>(width) - text.size(), '0') + text;
  };
  Bytes tag;
  AppendText(tag, "LYRICSBEGIN");
  AppendText(tag, "IND00002" + std::string("10"));
  AppendText(tag, "LYR" + digits(lyrics.size(), 5) + lyrics);
  AppendText(tag, digits(tag.size(), 6) + "LYRICS200");
  return tag;
}

Bytes Lyrics3v1Of(const std::string& lyrics) {
  Bytes tag;
  AppendText(tag, "LYRICSBEGIN" + lyrics + "LYRICSEND");
  return tag;
}

Bytes Id3v1Of(const std::string& title, int track) {
  Bytes tag(128, 0);
  tag[0] = 'T', tag[1] = 'A', tag[2] = 'G';
  for (std::size_t i = 0; i < title.size() && i < 30; ++i) {
    tag[3 + i] = static_cast<std::uint8_t>(title[i]);
  }
  tag[126] = static_cast<std::uint8_t>(track);
  tag[127] = 12;  // genre
  return tag;
}

}  // namespace brelvik::testing
