// The waveform views' colours and sizes, in one place for the painters and
// for the tests that read their pixels.
#pragma once

#include <QColor>

namespace brelvik::ui::look {

inline const QColor kBackground{250, 250, 247};
inline const QColor kUndecoded{226, 226, 226};  // not decoded yet
inline const QColor kEnvelope{38, 92, 160};     // minimum to maximum
inline const QColor kRms{118, 165, 222};        // the RMS level, inside it
inline const QColor kLaneLine{205, 205, 200};   // between two lanes
inline const QColor kSilence{255, 236, 179};    // a silence the search found
inline const QColor kMarker{196, 30, 36};
inline const QColor kSelectedMarker{240, 120, 0};
inline const QColor kPlayhead{16, 140, 60};
inline const QColor kLabelBack{255, 255, 255};
inline const QColor kLabelText{30, 30, 30};
inline const QColor kFrame{20, 20, 20};  // the overview's frame of the detail's span

inline constexpr int kMarkerReach = 5;    // pixels either side of a marker that pick it
inline constexpr int kDragThreshold = 3;  // pixels a press moves before it drags
inline constexpr int kOverviewHeight = 64;

}  // namespace brelvik::ui::look
