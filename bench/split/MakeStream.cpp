// Writes a constant-rate MPEG 1 Layer III stream (128 kbit/s, 44.1 kHz, 417-byte
// unpadded frames, no tags) of at least the given number of mebibytes, in
// blocks of whole frames. Prints the number of frames written.
//
// Usage: brelvik-bench-make-stream PATH MEBIBYTES
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

bool WriteStream(const std::string& path, std::uint64_t frames) {
  const std::vector<char> block = FrameBlock();
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
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
  if (argc != 3) {
    std::cerr << "usage: brelvik-bench-make-stream PATH MEBIBYTES\n";
    return 2;
  }
  std::uint64_t mebibytes = 0;
  try {
    mebibytes = std::stoull(argv[2]);
  } catch (const std::exception&) {
    std::cerr << "brelvik-bench-make-stream: not a size in MiB: " << argv[2] << '\n';
    return 2;
  }
  const std::uint64_t bytes = mebibytes * 1024 * 1024;
  const std::uint64_t frames = (bytes + kFrameBytes - 1) / kFrameBytes;
  if (!WriteStream(argv[1], frames)) {
    std::cerr << "brelvik-bench-make-stream: cannot write " << argv[1] << '\n';
    return 1;
  }
  std::cout << frames << '\n';
  return 0;
}
