#pragma once
// ImageList: a list of keyed pictures, numbered from 1 in the order they were added, as the
// task pane takes its item icons. Keys are not checked for uniqueness.
#include <QObject>
#include <QPixmap>
#include <QString>
#include <vector>

namespace velmora {

class ImageList : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;

  // Appends a picture; returns its number.
  int Add(const QString& key, const QPixmap& picture);
  int Count() const { return static_cast<int>(images_.size()); }
  // The key and the picture of image `index` (1 to Count()); empty for any other index.
  QString Key(int index) const;
  QPixmap Picture(int index) const;

 private:
  bool Holds(int index) const { return index >= 1 && index <= Count(); }

  std::vector<std::pair<QString, QPixmap>> images_;
};

}  // namespace velmora
