// The split jobs a session makes, for both front ends: the described one
// (byte ranges between the list's frames) and the exact one (whole pieces cut
// on real frames at the list's times), and the silences a scan found as
// breakpoints.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "exact/CutPlan.h"
#include "exact/PieceTags.h"
#include "exact/StreamLayout.h"
#include "io/InputFile.h"
#include "io/WritePolicy.h"
#include "session/Session.h"
#include "silence/SilenceFinder.h"
#include "split/SplitEngine.h"

namespace brelvik {

// Each silence's middle as an entry of the list, with that time; an entry
// already on its frame keeps its own.
void AddSilences(Session& session, const std::vector<silence::Silence>& silences);

struct DescribedJob {
  std::string Template;
  std::uint16_t FrameBytes = 0;
  BreakpointList Breakpoints;
  WritePolicy AlsoRead;

  int Pieces() const { return Breakpoints.Count() - 1; }
  // Split: raises ERefusedSplit before writing for a refused name and
  // EStreamError when a piece cannot be written.
  void Run(InputFile& source, const SplitProgress& progress) const;
};

// The described split of the list, or NothingToDo when it has no piece.
OrRefusal<DescribedJob> DescribedJobOf(const Session& session);

struct ExactJob {
  exact::StreamLayout Layout;
  exact::CutPlan Plan;
  std::vector<exact::PieceNames> Names;  // empty, or one per piece
  std::string Template;
  WritePolicy AlsoRead;

  int Pieces() const { return Plan.Pieces(); }
  void Run(InputFile& source, const SplitProgress& progress) const;
};

// The real frames of the session's MP3, or why exact cuts cannot be made in
// it (ExactCut). Raises EStreamError when it cannot be read.
OrRefusal<exact::StreamLayout> ExactLayoutOf(const Session& session);

// The cuts the list asks for: each entry at the time it came from, else at
// the time the position display begins to show its frame.
std::vector<exact::CutRequest> ExactRequestsOfList(const Session& session);
// The names of the pieces those cuts make, from the sheet the list came
// from; empty without one.
std::vector<exact::PieceNames> ExactNamesOfList(const Session& session);

// The exact split at the given cuts, its pieces named from the template and
// kept from replacing what alsoRead protects, or NothingToDo for fewer than
// two cuts and ExactCut for a piece that would hold no audio. For a file
// that only the frame walk takes, with no session.
OrRefusal<ExactJob> ExactJobOf(exact::StreamLayout layout,
                               const std::vector<exact::CutRequest>& requests,
                               std::vector<exact::PieceNames> names, std::string splitTemplate,
                               WritePolicy alsoRead);
// The same with the session's template and what it protects.
OrRefusal<ExactJob> ExactJobOf(const Session& session, exact::StreamLayout layout,
                               const std::vector<exact::CutRequest>& requests,
                               std::vector<exact::PieceNames> names = {});
// The same at the list's cuts, named from its sheet.
OrRefusal<ExactJob> ExactJobOfList(const Session& session, exact::StreamLayout layout);

}  // namespace brelvik
