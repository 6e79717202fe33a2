#include "app/controls/image_list.h"

namespace velmora {

int ImageList::Add(const QString& key, const QPixmap& picture) {
  images_.emplace_back(key, picture);
  return Count();
}

QString ImageList::Key(int index) const {
  return Holds(index) ? images_[static_cast<size_t>(index - 1)].first : QString();
}

QPixmap ImageList::Picture(int index) const {
  return Holds(index) ? images_[static_cast<size_t>(index - 1)].second : QPixmap();
}

}  // namespace velmora
