// Turns the breakpoint list into files: piece k holds the source's bytes from
// breakpoint k-1 times the frame size up to breakpoint k times the frame size,
// counted from the first byte of the file. Nothing is decoded or re-encoded.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "split/BreakpointList.h"
#include "split/FileStreams.h"

namespace brelvik {

inline constexpr std::size_t kCopyBlockBytes = 61440;

// Copies count bytes from offset of the source into a new destination file,
// replacing a file of that name. A range running past the end of the source
// is cut there; one starting at or past the end gives an empty file.
void FileCopy(const std::string& source, const std::string& destination, std::int64_t offset,
              std::int64_t count);

// Raises ERefusedSplit before anything is written when one of the pieces'
// paths names the source file (by any spelling or link) or something other
// than a regular file (a device, a FIFO, a folder).
void RefuseUnsafePieces(const std::string& sourcePath, const std::string& splitTemplate,
                        int pieces);

// Called with k after piece k has been written.
using SplitProgress = std::function<void(int piece)>;

// Writes the pieces between neighbouring breakpoints, named from the template
// with PieceName; n breakpoints give n - 1 pieces, the bytes after the last
// breakpoint are not written. A negative breakpoint counts as byte 0. Refuses
// the whole split before writing anything when a piece's path names the
// source or something other than a regular file. A failure raises EStreamError and ends the split
// at that piece; pieces written before stay.
void Split(const std::string& sourcePath, const std::string& splitTemplate,
           std::uint16_t frameBytes, const BreakpointList& breakpoints,
           const SplitProgress& progress);

}  // namespace brelvik
