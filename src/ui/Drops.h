// Files dropped on the window: one local MP3 file, or a cue sheet that names
// one, opens as the open button would open it.
#pragma once

#include <QString>
#include <optional>

class QDropEvent;
class QMimeData;

namespace brelvik::ui {

// The dropped file's path, when the drag carries one the window opens.
std::optional<QString> DroppedMp3(const QMimeData* data);

// A drop is taken as a copy (or a link) whatever the drag proposes, and one
// that offers neither is refused: a move would have the file manager delete
// the source once it has been opened.
bool TakeAsCopy(QDropEvent* event);

}  // namespace brelvik::ui
