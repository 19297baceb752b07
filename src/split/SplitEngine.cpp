#include "split/SplitEngine.h"

#include <algorithm>
#include <map>
#include <vector>

#include "split/OutputNaming.h"

namespace brelvik {
namespace {

std::int64_t ByteOffsetOf(std::int32_t breakpoint, std::uint16_t frameBytes) {
  return std::max<std::int64_t>(0, std::int64_t{breakpoint} * frameBytes);
}

}  // namespace

void RefuseUnsafePieces(const std::string& sourcePath, const std::string& splitTemplate,
                        int pieces) {
  // Existing pieces by file: a name linked to an earlier piece would replace it.
  std::map<std::pair<std::uint64_t, std::uint64_t>, std::string> existing;
  for (int piece = 1; piece <= pieces; ++piece) {
    const std::string name = PieceName(splitTemplate, piece);
    if (IsSameFile(name, sourcePath)) {
      throw ERefusedSplit("The piece " + name + " would overwrite the source file");
    }
    if (IsOtherThanRegularFile(name)) {
      throw ERefusedSplit("The piece " + name +
                          " names something other than a regular file, which is left as it is");
    }
    if (IsLinkToNothing(name)) {
      throw ERefusedSplit("The piece " + name +
                          " is a link that leads to no file, which is left as it is");
    }
    if (const auto identity = FileIdentityOf(name)) {
      if (const auto [earlier, added] = existing.emplace(*identity, name); !added) {
        throw ERefusedSplit("The pieces " + earlier->second + " and " + name +
                            " are one file, so the second would replace the first");
      }
    }
  }
}

void FileCopy(const std::string& source, const std::string& destination, std::int64_t offset,
              std::int64_t count) {
  InputFile input(source);
  PieceWriter output(destination);
  const std::int64_t size = input.Size();
  std::int64_t position = 0;
  if (offset < size) {
    position = std::max<std::int64_t>(offset, 0);
    input.Seek(position);
  } else {
    count = -1;
  }
  count = std::min(count, size - position);

  std::vector<std::uint8_t> buffer(kCopyBlockBytes);
  for (std::int64_t left = count; left > 0;) {
    const auto block = static_cast<std::size_t>(std::min<std::int64_t>(left, kCopyBlockBytes));
    const std::span<std::uint8_t> chunk(buffer.data(), block);
    input.ReadExactly(chunk);
    output.Write(chunk);
    left -= static_cast<std::int64_t>(block);
  }
  output.Commit();
}

void Split(const std::string& sourcePath, const std::string& splitTemplate,
           std::uint16_t frameBytes, const BreakpointList& breakpoints,
           const SplitProgress& progress) {
  const int pieces = breakpoints.Count() - 1;
  RefuseUnsafePieces(sourcePath, splitTemplate, pieces);
  for (int i = 0; i < pieces; ++i) {
    const std::int64_t start = ByteOffsetOf(breakpoints.Value(i), frameBytes);
    const std::int64_t next = ByteOffsetOf(breakpoints.Value(i + 1), frameBytes);
    FileCopy(sourcePath, PieceName(splitTemplate, i + 1), start, next - start);
    if (progress) {
      progress(i + 1);
    }
  }
}

}  // namespace brelvik
