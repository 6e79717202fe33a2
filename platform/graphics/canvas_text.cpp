// Fonts and text of the canvas: fontconfig faces at 96 dpi, never antialiased.
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QTransform>
#include <algorithm>
#include <cmath>

#include "platform/base/exceptions.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/canvas_paint.h"
#include "platform/graphics/coverage.h"

namespace plat {

void TLogFont::SetFaceName(std::u16string_view name) {
  const size_t length = std::min(name.size(), kFaceNameLength - 1);
  std::fill(std::begin(lfFaceName), std::end(lfFaceName), u'\0');
  std::copy_n(name.begin(), length, lfFaceName);
}

std::u16string TLogFont::FaceName() const {
  const auto* end = std::find(std::begin(lfFaceName), std::end(lfFaceName), u'\0');
  return std::u16string(std::begin(lfFaceName), end);
}

namespace {

// Glyphs beyond this many pixels would only cost memory: no bitmap shows them whole.
constexpr int kLargestPixelSize = 4096;
// A height of 0 asks for the default font.
constexpr int kDefaultPixelSize = 11;

int ClampPixelSize(double size) {
  return static_cast<int>(std::clamp(std::round(size), 1.0, double{kLargestPixelSize}));
}

QFont FontOf(const TLogFont& record) {
  // QFont asserts without a GUI application; say so instead of dying.
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
    throw EInvalidGraphicOperation("Text needs a QGuiApplication");
  QFont font(QString::fromStdU16String(record.FaceName()));
  font.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoSubpixelAntialias));
  font.setWeight(record.lfWeight >= 700 ? QFont::Bold : QFont::Normal);
  font.setItalic(record.lfItalic != 0);
  font.setUnderline(record.lfUnderline != 0);
  font.setStrikeOut(record.lfStrikeOut != 0);
  const double height = std::abs(static_cast<double>(record.lfHeight));
  font.setPixelSize(record.lfHeight == 0 ? kDefaultPixelSize : ClampPixelSize(height));
  if (record.lfHeight > 0) {
    // A positive height is the whole cell: scale the character size by em / (ascent + descent).
    const QFontMetricsF metrics(font);
    const double cell = metrics.ascent() + metrics.descent();
    if (cell > 0) font.setPixelSize(ClampPixelSize(height * font.pixelSize() / cell));
  }
  return font;
}

}  // namespace

void TCanvas::ExtTextOutW(int x, int y, std::u16string_view text) {
  DrawText(x, y, std::u16string(text));
}

void TCanvas::TextOut(int x, int y, const std::string& utf8) {
  DrawText(x, y,
           QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())).toStdU16String());
}

void TCanvas::DrawText(int x, int y, const std::u16string& text) {
  const QFont font = FontOf(Font.LogFont);
  const QFontMetrics metrics(font);
  const QString string = QString::fromStdU16String(text);
  QTransform turn;
  turn.translate(x, y);
  turn.rotate(-Font.LogFont.lfEscapement / 10.0);
  const QPolygonF cell =
      turn.map(QPolygonF(QRectF(0, 0, metrics.horizontalAdvance(string), metrics.height())));
  // Italic overhangs and underlines may leave the cell by a little.
  const double overhang = metrics.height();
  TCoverage coverage(target_.Width(), target_.Height(),
                     cell.boundingRect().adjusted(-overhang, -overhang, overhang, overhang));
  if (coverage.IsEmpty()) return;
  coverage.Fill({cell}, kBrushCover);
  coverage.PaintWith([&](QPainter& painter) {
    painter.setTransform(turn, true);
    painter.setFont(font);
    painter.setPen(QColor(kPenCover, kPenCover, kPenCover));
    painter.drawText(QPointF(0, metrics.ascent()), string);
  });
  const TPixelWriter writer(target_);
  PaintCoverage(target_, coverage,
                {TInk{}, BackgroundInk(Brush, TPenMode::pmCopy, writer),
                 ColourInk(Font.Color, TPenMode::pmCopy, writer)});
}

TSize TCanvas::TextExtent(const std::string& utf8) const {
  const QFontMetrics metrics(FontOf(Font.LogFont));
  return {metrics.horizontalAdvance(
              QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()))),
          metrics.height()};
}

TTextMetric TCanvas::TextMetrics() const {
  const QFontMetrics metrics(FontOf(Font.LogFont));
  return {metrics.height(), metrics.ascent(), metrics.descent(), metrics.averageCharWidth()};
}

}  // namespace plat
