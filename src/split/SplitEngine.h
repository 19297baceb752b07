// Turns the breakpoint list into files: piece k holds the source's bytes from
// breakpoint k-1 times the frame size up to breakpoint k times the frame size,
// counted from the first byte of the file. Nothing is decoded or re-encoded.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "io/InputFile.h"
#include "io/PieceWriter.h"
#include "io/WritePolicy.h"
#include "split/BreakpointList.h"

namespace brelvik {

inline constexpr std::size_t kCopyBlockBytes = 61440;

// Copies count bytes from offset of the open source into a new destination
// file, replacing a file of that name as the policy allows. A range running
// past the end of the source is cut there; one starting at or past the end
// gives an empty file.
void FileCopy(InputFile& source, const std::string& destination, std::int64_t offset,
              std::int64_t count, const WritePolicy& policy = WritePolicy());

// The policy the pieces of a split are written under: that of `alsoRead`
// (the other files the run reads, such as a cue sheet) with the source added.
// Raises ERefusedSplit before anything is written when one of the pieces'
// names may not be written (WritePolicy::CheckAll).
WritePolicy PolicyForPieces(const InputFile& source, WritePolicy alsoRead,
                            const std::string& splitTemplate, int pieces);

// Called with k after piece k has been written.
using SplitProgress = std::function<void(int piece)>;

// Writes the pieces between neighbouring breakpoints, named from the template
// with PieceName; n breakpoints give n - 1 pieces, the bytes after the last
// breakpoint are not written. A negative breakpoint counts as byte 0. Every
// piece is read from the one open source, whatever happens to its name
// meanwhile. Refuses the whole split before writing anything when a piece's
// name may not be written (PolicyForPieces). A failure raises EStreamError
// and ends the split at that piece; pieces written before stay.
void Split(InputFile& source, const std::string& splitTemplate, std::uint16_t frameBytes,
           const BreakpointList& breakpoints, const SplitProgress& progress,
           WritePolicy alsoRead = WritePolicy());

}  // namespace brelvik
