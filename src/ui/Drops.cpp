#include "ui/Drops.h"

#include <QDropEvent>
#include <QMimeData>

namespace brelvik::ui {

std::optional<QString> DroppedMp3(const QMimeData* data) {
  if (data == nullptr || data->urls().size() != 1 || !data->urls().front().isLocalFile()) {
    return std::nullopt;
  }
  const QString path = data->urls().front().toLocalFile();
  if (!path.endsWith(".mp3", Qt::CaseInsensitive) && !path.endsWith(".cue", Qt::CaseInsensitive)) {
    return std::nullopt;
  }
  return path;
}

bool TakeAsCopy(QDropEvent* event) {
  for (const Qt::DropAction action : {Qt::CopyAction, Qt::LinkAction}) {
    if (event->possibleActions() & action) {
      event->setDropAction(action);
      event->accept();
      return true;
    }
  }
  event->ignore();
  return false;
}

}  // namespace brelvik::ui
