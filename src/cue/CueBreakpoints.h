// Between cue sheets and the program's two kinds of breakpoints: frame
// numbers of the list (which take a sheet's times through MSecToFrames) and
// the times of exact mode (which take them as they are).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cue/CueSheet.h"
#include "exact/CutPlan.h"
#include "exact/PieceTags.h"
#include "split/BreakpointList.h"
#include "split/StreamFigures.h"

namespace brelvik::cue {

// The time to write for frame N of the list: the first CD frame at or after
// the moment the position display begins to show N that reads back as N.
double TimeOfFrame(std::int32_t frame, const StreamFigures& figures);

// Fills the list (which starts as "0") with a sheet's frame numbers: each
// track's start as a typed time becomes one, and the end of the file
// (endFrame) as --to-end takes it. A sheet with a start of its own (REM
// START) starts the list there instead of at "0". Each entry keeps the time
// it stands for (the end of the file as exact::kEndOfStream), the latest
// where two land on one frame. Returns why a track was
// refused ("track 3 (12:04:33) lies past the end of the file, frame 2100"), or
// nothing.
std::optional<std::string> FillList(const CueSheet& sheet, const StreamFigures& figures,
                                    std::int32_t endFrame, BreakpointList& list);

// Exact mode's cuts for a sheet: the start (the sheet's own, or the stream's)
// when the first track starts later, each track's start as it is, and the end
// of the stream (or the sheet's own end).
std::vector<exact::CutRequest> RequestsOfSheet(const CueSheet& sheet);

// The ID3v2 names of the pieces that RequestsOfSheet's cuts make: each
// track's title and performer (the album's performer when the track names
// none), and the album's title and performer from the sheet's header (a
// lead-in from the start before the first track gets the album's alone).
std::vector<exact::PieceNames> NamesOfSheet(const CueSheet& sheet);

// The names of the piece that starts at frame N of the list: those of the
// sheet's track that starts there, or the album's alone.
exact::PieceNames NamesAt(const CueSheet& sheet, std::int32_t frame, const StreamFigures& figures);

// The list as a sheet for the audio file: one track per piece, starting at
// its breakpoint (one CD frame after the track before at least); a list that stops short of
// endFrame keeps its last breakpoint in the sheet's end remark, and one whose first entry is
// not frame 0 keeps that entry in its start remark. Tracks keep the titles and performers of
// `known`'s tracks that start on the same frame, and its album's.
CueSheet SheetOfList(const BreakpointList& list, const StreamFigures& figures,
                     const std::string& audioPath, std::int32_t endFrame,
                     const std::optional<CueSheet>& known);

}  // namespace brelvik::cue
