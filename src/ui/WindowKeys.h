// The window's keys for people who keep their eyes on the music. A key for a
// button works only while the button is usable, and the keys the entry field
// uses go to the field while it has the focus.
#pragma once

#include <QKeySequence>
#include <functional>

class QWidget;

namespace brelvik::ui {

class EntryPanel;
class MediaPanel;
class OutputPanel;
class PlaybackController;
class SourcePanel;

// The transport keys (Space, B, Insert, Ctrl+Left/Right/Home/End), Ctrl+O
// and Ctrl+S, each named in its button's hint.
void CreateButtonKeys(QWidget* window, MediaPanel& media, SourcePanel& source, OutputPanel& output,
                      const EntryPanel& entry, const PlaybackController& playback);

// A key of the whole window that runs a handler; an error the handler raises
// is reported.
void CreateHandlerKey(QWidget* window, const QKeySequence& keys, const char* name,
                      std::function<void()> handler);

}  // namespace brelvik::ui
