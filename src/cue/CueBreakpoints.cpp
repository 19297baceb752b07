#include "cue/CueBreakpoints.h"

#include <algorithm>
#include <cmath>

namespace brelvik::cue {
namespace {

std::string LabelOf(const CueTrack& track) {
  return "track " + std::to_string(track.Number) + " (" + CueTime(track.StartMs) + ")";
}

exact::PieceNames AlbumNames(const CueSheet& sheet) {
  return {{}, {}, sheet.Title, sheet.Performer};
}

exact::PieceNames TrackNames(const CueSheet& sheet, const CueTrack& track) {
  exact::PieceNames names = AlbumNames(sheet);
  names.Title = track.Title;
  names.Artist = track.Performer.empty() ? sheet.Performer : track.Performer;
  return names;
}

// Where the first piece starts: the sheet's REM START, or the file's start.
double StartOf(const CueSheet& sheet) {
  return sheet.StartMs.value_or(0);
}

// A piece before the first track, from the sheet's start.
bool HasLeadIn(const CueSheet& sheet) {
  return sheet.Tracks.front().StartMs > StartOf(sheet);
}

// The list's "0", which a sheet with a start of its own replaces.
void DropFrameZero(BreakpointList& list) {
  if (list.Count() > 0 && list.Value(0) == 0) {
    list.Select(0);
    list.DeleteSelected();
  }
}

}  // namespace

double TimeOfFrame(std::int32_t frame, const StreamFigures& figures) {
  const double shown = exact::FrameNumberMs(frame, figures);
  long first = std::lround(std::ceil(shown * kCueFramesPerSecond / 1000.0 - 1e-9));
  for (long cueFrame = std::max(0L, first - 1); cueFrame <= first + 2; ++cueFrame) {
    if (FrameOfTime(CueFramesMs(cueFrame), figures) == frame) {
      return CueFramesMs(cueFrame);
    }
  }
  return CueFramesMs(first);  // frames shorter than a CD frame: the nearest there is
}

std::optional<std::string> FillList(const CueSheet& sheet, const StreamFigures& figures,
                                    std::int32_t endFrame, BreakpointList& list) {
  // An entry keeps the latest time that lands on its frame.
  const auto mark = [&](std::int32_t frame, double timeMs) {
    list.AddCurrentFrame(std::to_string(frame), timeMs);
    if (const auto index = list.IndexOf(frame)) {
      list.SetTime(*index, timeMs);
    }
  };
  const auto add = [&](const std::string& label, double timeMs) -> std::optional<std::string> {
    const std::int32_t frame = FrameOfTime(timeMs, figures);
    if (frame > endFrame) {
      return label + " lies past the end of the file, frame " + std::to_string(endFrame);
    }
    mark(frame, timeMs);
    return std::nullopt;
  };
  if (sheet.StartMs) {
    DropFrameZero(list);
    if (auto refusal = add("the sheet's start (" + CueTime(*sheet.StartMs) + ")", *sheet.StartMs)) {
      return refusal;
    }
  }
  for (const CueTrack& track : sheet.Tracks) {
    if (auto refusal = add(LabelOf(track), track.StartMs)) {
      return refusal;
    }
  }
  if (sheet.EndMs) {
    return add("the sheet's end (" + CueTime(*sheet.EndMs) + ")", *sheet.EndMs);
  }
  mark(endFrame, exact::kEndOfStream);
  return std::nullopt;
}

std::vector<exact::CutRequest> RequestsOfSheet(const CueSheet& sheet) {
  std::vector<exact::CutRequest> requests;
  if (HasLeadIn(sheet)) {
    requests.push_back(
        sheet.StartMs
            ? exact::CutRequest{*sheet.StartMs, "the sheet's start, " + CueTime(*sheet.StartMs)}
            : exact::CutRequest{0, "0"});
  }
  for (const CueTrack& track : sheet.Tracks) {
    requests.push_back({track.StartMs, LabelOf(track)});
  }
  if (sheet.EndMs) {
    requests.push_back({*sheet.EndMs, "the sheet's end, " + CueTime(*sheet.EndMs)});
  } else {
    requests.push_back({exact::kEndOfStream, "the end"});
  }
  return requests;
}

std::vector<exact::PieceNames> NamesOfSheet(const CueSheet& sheet) {
  std::vector<exact::PieceNames> names;
  if (HasLeadIn(sheet)) {
    names.push_back(AlbumNames(sheet));
  }
  for (const CueTrack& track : sheet.Tracks) {
    names.push_back(TrackNames(sheet, track));
  }
  return names;
}

exact::PieceNames NamesAt(const CueSheet& sheet, std::int32_t frame, const StreamFigures& figures) {
  for (const CueTrack& track : sheet.Tracks) {
    if (FrameOfTime(track.StartMs, figures) == frame) {
      return TrackNames(sheet, track);
    }
  }
  return AlbumNames(sheet);
}

CueSheet SheetOfList(const BreakpointList& list, const StreamFigures& figures,
                     const std::string& audioPath, std::int32_t endFrame,
                     const std::optional<CueSheet>& known) {
  CueSheet sheet;
  sheet.File = audioPath;
  if (known) {
    sheet.Title = known->Title;
    sheet.Performer = known->Performer;
  }
  // Where list frames are shorter than CD frames, two entries can share the
  // nearest CD frame; the later one moves on, as a sheet's times ascend.
  long previous = -1;
  const auto ascending = [&previous](double ms) {
    previous = std::max(previous + 1, std::lround(ms * kCueFramesPerSecond / 1000.0));
    return CueFramesMs(previous);
  };
  for (int i = 0; i + 1 < list.Count(); ++i) {
    CueTrack track;
    track.Number = i + 1;
    track.StartMs = ascending(TimeOfFrame(list.Value(i), figures));
    if (known) {
      for (const CueTrack& named : known->Tracks) {
        if (FrameOfTime(named.StartMs, figures) == list.Value(i)) {
          track.Title = named.Title;
          track.Performer = named.Performer;
        }
      }
    }
    sheet.Tracks.push_back(track);
  }
  if (!sheet.Tracks.empty() && list.Value(0) != 0) {
    sheet.StartMs = sheet.Tracks.front().StartMs;
  }
  if (list.Count() > 0 && list.Value(list.Count() - 1) < endFrame) {
    sheet.EndMs = ascending(TimeOfFrame(list.Value(list.Count() - 1), figures));
  }
  return sheet;
}

}  // namespace brelvik::cue
