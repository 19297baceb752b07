#include "ui/WindowKeys.h"

#include <QShortcut>
#include <QToolButton>

#include "ui/ErrorReports.h"
#include "ui/MediaPanel.h"
#include "ui/Panels.h"
#include "ui/PlaybackController.h"

namespace brelvik::ui {
namespace {

void AddButtonKey(QWidget* window, const QKeySequence& keys, QToolButton* button,
                  bool keyOfTheEntryField, MediaPanel& media, const EntryPanel& entry,
                  const PlaybackController& playback) {
  auto* shortcut = new QShortcut(keys, window);
  shortcut->setObjectName(button->objectName() + "_" + keys.toString() + "_Shortcut");
  QObject::connect(shortcut, &QShortcut::activated, window, [=, &media, &entry, &playback] {
    if (!button->isEnabled() || (keyOfTheEntryField && entry.HasFocus())) {
      return;
    }
    // Space plays when idle, and pauses or resumes while playing or paused.
    if (button == media.PlayButton() && playback.PlayingOrPaused()) {
      media.PauseButton()->click();
      return;
    }
    button->click();
  });
}

void Hint(QToolButton* button, const char* keys) {
  button->setToolTip(button->toolTip() + " (" + keys + ")");
}

}  // namespace

void CreateButtonKeys(QWidget* window, MediaPanel& media, SourcePanel& source, OutputPanel& output,
                      const EntryPanel& entry, const PlaybackController& playback) {
  const auto key = [&](const QKeySequence& keys, QToolButton* button, bool keyOfTheEntryField) {
    AddButtonKey(window, keys, button, keyOfTheEntryField, media, entry, playback);
  };
  key(Qt::Key_Space, media.PlayButton(), true);
  key(Qt::Key_B, media.AddCurrentFrameButton(), true);
  key(Qt::Key_Insert, media.AddCurrentFrameButton(), false);
  key(Qt::CTRL | Qt::Key_Left, media.RewButton(), true);
  key(Qt::CTRL | Qt::Key_Right, media.FFButton(), true);
  key(Qt::CTRL | Qt::Key_Home, media.StartButton(), true);
  key(Qt::CTRL | Qt::Key_End, media.EndButton(), true);
  key(Qt::CTRL | Qt::Key_O, source.OpenButton(), false);
  key(Qt::CTRL | Qt::Key_S, output.SplitButton(), false);
  Hint(media.PlayButton(), "Space");
  Hint(media.PauseButton(), "Space");
  Hint(media.AddCurrentFrameButton(), "B");
  Hint(media.RewButton(), "Ctrl+Left");
  Hint(media.FFButton(), "Ctrl+Right");
  Hint(media.StartButton(), "Ctrl+Home");
  Hint(media.EndButton(), "Ctrl+End");
  Hint(source.OpenButton(), "Ctrl+O");
  Hint(output.SplitButton(), "Ctrl+S");
}

void CreateHandlerKey(QWidget* window, const QKeySequence& keys, const char* name,
                      std::function<void()> handler) {
  auto* shortcut = new QShortcut(keys, window);
  shortcut->setObjectName(name);
  QObject::connect(shortcut, &QShortcut::activated, window,
                   [window, handler = std::move(handler)] { Guarded(window, handler); });
}

}  // namespace brelvik::ui
