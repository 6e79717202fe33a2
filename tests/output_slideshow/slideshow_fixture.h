#pragma once
// Slide-show packages built in memory from pictures of known colours and sizes.
#include <QBuffer>
#include <QColor>
#include <QImage>
#include <sstream>
#include <string>
#include <vector>

#include "app/output/package/package_reader.h"
#include "app/output/package/package_writer.h"

namespace players::slideshow {

struct Slide {
  QSize size;
  QColor colour;
};

inline std::string Jpeg(const Slide& slide) {
  QImage image(slide.size, QImage::Format_RGB32);
  image.fill(slide.colour);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "JPG", 95);
  return bytes.toStdString();
}

inline std::span<const uint8_t> View(const std::string& text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

// A package of the entries' bytes behind a small stand-in program.
inline std::string SlideShowPackage(const std::vector<std::string>& entries, int32_t back_color,
                                    int16_t interval) {
  std::ostringstream out;
  const std::string player(256, 'P');
  output::package::PackageWriter writer(out, View(player));
  for (size_t k = 0; k < entries.size(); ++k)
    writer.AddEntry("slide " + std::to_string(k + 1), View(entries[k]));
  writer.AddSlideShowOptions({back_color, interval});
  writer.Finish();
  return out.str();
}

inline std::string SlideShowPackage(const std::vector<Slide>& slides, int32_t back_color = 0,
                                    int16_t interval = 3) {
  std::vector<std::string> entries;
  for (const Slide& slide : slides) entries.push_back(Jpeg(slide));
  return SlideShowPackage(entries, back_color, interval);
}

}  // namespace players::slideshow
