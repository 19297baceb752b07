#include "split/SplitEngine.h"

#include <algorithm>
#include <vector>

#include "split/OutputNaming.h"

namespace brelvik {
namespace {

std::int64_t ByteOffsetOf(std::int32_t breakpoint, std::uint16_t frameBytes) {
  return std::max<std::int64_t>(0, std::int64_t{breakpoint} * frameBytes);
}

}  // namespace

WritePolicy PolicyForPieces(const InputFile& source, WritePolicy alsoRead,
                            const std::string& splitTemplate, int pieces) {
  alsoRead.Protect(source, "the source file");
  std::vector<std::string> names;
  for (int piece = 1; piece <= pieces; ++piece) {
    names.push_back(PieceName(splitTemplate, piece));
  }
  alsoRead.CheckAll(names);
  return alsoRead;
}

void FileCopy(InputFile& source, const std::string& destination, std::int64_t offset,
              std::int64_t count, const WritePolicy& policy) {
  PieceWriter output(destination, policy);
  const std::int64_t size = source.Size();
  std::int64_t position = 0;
  if (offset < size) {
    position = std::max<std::int64_t>(offset, 0);
  } else {
    count = -1;
  }
  count = std::min(count, size - position);

  std::vector<std::uint8_t> buffer(kCopyBlockBytes);
  for (std::int64_t left = count; left > 0;) {
    const auto block = static_cast<std::size_t>(std::min<std::int64_t>(left, kCopyBlockBytes));
    const std::span<std::uint8_t> chunk(buffer.data(), block);
    source.ReadAt(position, chunk);
    output.Write(chunk);
    position += static_cast<std::int64_t>(block);
    left -= static_cast<std::int64_t>(block);
  }
  output.Commit();
}

void Split(InputFile& source, const std::string& splitTemplate, std::uint16_t frameBytes,
           const BreakpointList& breakpoints, const SplitProgress& progress, WritePolicy alsoRead) {
  const int pieces = breakpoints.Count() - 1;
  const WritePolicy policy = PolicyForPieces(source, std::move(alsoRead), splitTemplate, pieces);
  for (int i = 0; i < pieces; ++i) {
    const std::int64_t start = ByteOffsetOf(breakpoints.Value(i), frameBytes);
    const std::int64_t next = ByteOffsetOf(breakpoints.Value(i + 1), frameBytes);
    FileCopy(source, PieceName(splitTemplate, i + 1), start, next - start, policy);
    if (progress) {
      progress(i + 1);
    }
  }
}

}  // namespace brelvik
