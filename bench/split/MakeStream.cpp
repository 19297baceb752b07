// Writes a constant-rate MPEG 1 Layer III stream (128 kbit/s, 44.1 kHz, 417-byte
// unpadded frames) of at least the given number of mebibytes, in blocks of
// whole frames, behind an ID3v2.4 tag holding a picture of TAG_KIB kibibytes
// when that is given (no tag otherwise). Prints the number of frames written.
//
// Usage: brelvik-bench-make-stream PATH MEBIBYTES [TAG_KIB]
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kFrameBytes = 417;
constexpr std::size_t kFramesPerBlock = 10'000;  // about 4 MB per write
constexpr unsigned char kHeader[4] = {0xFF, 0xFB, 0x90, 0x00};

std::vector<char> FrameBlock() {
  std::vector<char> block(kFrameBytes * kFramesPerBlock);
  for (std::size_t i = 0; i < block.size(); ++i) {
    const std::size_t inFrame = i % kFrameBytes;
    // Payload bytes never reach 0xFF, so only the headers can start a frame.
    block[i] = static_cast<char>(inFrame < 4 ? kHeader[inFrame] : 0x11 + inFrame % 0x60);
  }
  return block;
}

void PutSynchsafe(std::ofstream& out, std::uint64_t value) {
  for (int shift = 21; shift >= 0; shift -= 7) {
    out.put(static_cast<char>((value >> shift) & 0x7F));
  }
}

// An ID3v2.4 tag of one picture frame ("APIC") of pictureBytes bytes.
void WriteTag(std::ofstream& out, std::uint64_t pictureBytes) {
  static const char kPictureHead[] = "\0image/jpeg\0\3";              // encoding, type, cover
  const std::uint64_t body = sizeof kPictureHead + 1 + pictureBytes;  // and an empty description
  out.write("ID3\4\0\0", 6);
  PutSynchsafe(out, 10 + body);
  out.write("APIC", 4);
  PutSynchsafe(out, body);
  out.write("\0\0", 2);
  out.write(kPictureHead, sizeof kPictureHead);
  out.put('\0');
  std::vector<char> chunk(1 << 20);
  for (std::size_t i = 0; i < chunk.size(); ++i) {
    chunk[i] = static_cast<char>((i * 2654435761u) >> 24);
  }
  for (std::uint64_t left = pictureBytes; left > 0 && out;) {
    const std::uint64_t now = left < chunk.size() ? left : chunk.size();
    out.write(chunk.data(), static_cast<std::streamsize>(now));
    left -= now;
  }
}

bool WriteStream(const std::string& path, std::uint64_t frames, std::uint64_t tagBytes) {
  const std::vector<char> block = FrameBlock();
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (tagBytes > 0) {
    WriteTag(out, tagBytes);
  }
  for (std::uint64_t left = frames; left > 0 && out;) {
    const std::uint64_t now = left < kFramesPerBlock ? left : kFramesPerBlock;
    out.write(block.data(), static_cast<std::streamsize>(now * kFrameBytes));
    left -= now;
  }
  out.close();
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::cerr << "usage: brelvik-bench-make-stream PATH MEBIBYTES [TAG_KIB]\n";
    return 2;
  }
  std::uint64_t mebibytes = 0;
  std::uint64_t tagKibibytes = 0;
  try {
    mebibytes = std::stoull(argv[2]);
    tagKibibytes = argc == 4 ? std::stoull(argv[3]) : 0;
  } catch (const std::exception&) {
    std::cerr << "brelvik-bench-make-stream: not a size: " << argv[2] << '\n';
    return 2;
  }
  const std::uint64_t bytes = mebibytes * 1024 * 1024;
  const std::uint64_t frames = (bytes + kFrameBytes - 1) / kFrameBytes;
  if (!WriteStream(argv[1], frames, tagKibibytes * 1024)) {
    std::cerr << "brelvik-bench-make-stream: cannot write " << argv[1] << '\n';
    return 1;
  }
  std::cout << frames << '\n';
  return 0;
}
