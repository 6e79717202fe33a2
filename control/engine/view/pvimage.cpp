#include "control/engine/view/pvimage.h"

#include <QApplication>
#include <QClipboard>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "control/engine/raster/pixels.h"
#include "control/engine/raster/selection.h"
#include "control/engine/view/cursor_table.h"
#include "control/engine/view/file_dialogs.h"
#include "control/engine/view/image_transfer.h"
#include "control/engine/view/page_count.h"
#include "control/engine/view/view_geometry.h"
#include "platform/base/message_pump.h"
#include "platform/base/streams.h"
#include "platform/base/text.h"
#include "platform/graphics/handles.h"
#include "platform/graphics/qimage_view.h"
#include "platform/screen/screen_capture.h"

namespace pictavo {

namespace {

// The pause between two looks at a running mouse selection, events processed meanwhile.
constexpr uint32_t kSelectionWaitMs = 10;
// The classic button-face colour the scroll bars are painted with; it fills the uncovered area.
const QColor kBarFace(212, 208, 200);
const QColor kNoImageFrame(0x44, 0x44, 0x44);

// trunc(a * zoom / 100 + 0.5), the rounding every zoomed coordinate uses.
int Zoomed(int64_t a, double zoom) {
  return static_cast<int>(std::trunc(a * zoom / 100 + 0.5));
}

// The longest zoomed side the layout carries: the widget size limit, far inside int range.
constexpr double kMaxZoomedSide = QWIDGETSIZE_MAX;

// The largest zoom at which an image side stays within kMaxZoomedSide.
double MaxZoomFor(int side) {
  return side > 0 ? std::floor((kMaxZoomedSide - 0.5) * 100 / side) : HUGE_VAL;
}

// Inverts the frame along a dotted outline through the pixels of box, clipped to surface: what a
// black dotted pen in NotXor mode draws.
void InvertDottedOutline(QImage& frame, const QRect& surface, const QRect& box, bool ellipse) {
  QPainter painter(&frame);
  painter.setClipRect(surface);
  painter.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
  painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
  painter.setBrush(Qt::NoBrush);
  // A one-pixel pen runs through left..left + width: the shape's width is one less than its
  // pixel count.
  const QRect path(box.topLeft(),
                   QSize(std::max(1, box.width() - 1), std::max(1, box.height() - 1)));
  if (ellipse) {
    painter.drawEllipse(path);
  } else {
    painter.drawRect(path);
  }
}

}  // namespace

int16_t MouseButtonCode(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton:
      return mbLeft;
    case Qt::RightButton:
      return mbRight;
    case Qt::MiddleButton:
      return mbMiddle;
    default:
      return mbNone;
  }
}

int16_t ShiftStateCode(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
  int16_t state = 0;
  if (buttons & Qt::LeftButton) state |= ssLeft;
  if (buttons & Qt::RightButton) state |= ssRight;
  if (buttons & Qt::MiddleButton) state |= ssMiddle;
  if (modifiers & Qt::ShiftModifier) state |= ssShift;
  if (modifiers & Qt::ControlModifier) state |= ssCtrl;
  if (modifiers & Qt::AltModifier) state |= ssAlt;
  return state;
}

// The paint surface: the area of the image, which the owner paints in one pass with the rest of
// its client area, so the owner's painting shows through. Its mouse input goes to the owner as
// the surface's own: a button pressed on it keeps the following moves and the release on it,
// wherever the mouse goes, and a mouse selection takes these over.
class TpvImage::Surface : public QWidget {
 public:
  explicit Surface(TpvImage* owner) : QWidget(owner), owner_(owner) {
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
  }

 protected:
  void mousePressEvent(QMouseEvent* event) override { ToOwner(event); }
  void mouseReleaseEvent(QMouseEvent* event) override { ToOwner(event); }
  void mouseMoveEvent(QMouseEvent* event) override { ToOwner(event); }
  void mouseDoubleClickEvent(QMouseEvent* event) override { ToOwner(event); }

 private:
  // The surface sits at the owner's origin, so its points are the owner's.
  void ToOwner(QMouseEvent* event) {
    owner_->HandleMouse(event, mapToParent(event->position().toPoint()), true);
  }
  TpvImage* owner_;
};

TpvImage::TpvImage(QWidget* parent)
    : QWidget(parent),
      surface_(new Surface(this)),
      horz_(new QScrollBar(Qt::Horizontal, this)),
      vert_(new QScrollBar(Qt::Vertical, this)) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  for (QScrollBar* bar : {horz_, vert_}) {
    bar->setSingleStep(scroll_speed_);
    bar->setMouseTracking(true);
    bar->hide();
    bar->setEnabled(false);
    connect(bar, &QScrollBar::valueChanged, this, [this] { ScrollChanged(); });
  }
  selection_ = std::make_unique<TMouseSelection>(*this);
  CreateWnd();
}

TpvImage::~TpvImage() = default;

QWidget* TpvImage::PaintSurface() const {
  return surface_;
}

double TpvImage::DevicePixelRatio() const {
  return devicePixelRatioF();
}

int32_t TpvImage::ClientWidth() const {
  return static_cast<int32_t>(std::lround(width() * DevicePixelRatio()));
}

int32_t TpvImage::ClientHeight() const {
  return static_cast<int32_t>(std::lround(height() * DevicePixelRatio()));
}

int32_t TpvImage::SurfaceWidth() const {
  return static_cast<int32_t>(std::lround(surface_->width() * DevicePixelRatio()));
}

int32_t TpvImage::SurfaceHeight() const {
  return static_cast<int32_t>(std::lround(surface_->height() * DevicePixelRatio()));
}

int32_t TpvImage::ScrollBarHorizWidth() const {
  return HasScrollBarHoriz()
             ? static_cast<int32_t>(std::lround(horz_->width() * DevicePixelRatio()))
             : 0;
}

int32_t TpvImage::ScrollBarVertHeight() const {
  return HasScrollBarVert()
             ? static_cast<int32_t>(std::lround(vert_->height() * DevicePixelRatio()))
             : 0;
}

// The bar's change runs the host's OnScroll, which may delete the control: nothing follows it.
void TpvImage::SetScrollBarHorizPos(int32_t pos) {
  if (!HasScrollBarHoriz()) return;
  update();
  horz_->setValue(pos);
}

void TpvImage::SetScrollBarVertPos(int32_t pos) {
  if (!HasScrollBarVert()) return;
  update();
  vert_->setValue(pos);
}

void TpvImage::CreateWnd() {
  UpdateDesignMode();
  for (QScrollBar* bar : {horz_, vert_}) {
    bar->removeEventFilter(this);  // re-creating the wiring must not double the events
    bar->installEventFilter(this);
  }
  Relayout();
}

void TpvImage::PlaceBar(QScrollBar* bar, bool needed, int x, int y, int w, int h, int page,
                        int max) {
  const double dpr = DevicePixelRatio();
  if (!needed) {
    bar->setValue(0);
    bar->hide();
    bar->setEnabled(false);
    return;
  }
  bar->setGeometry(
      QRect(QPoint(static_cast<int>(x / dpr), static_cast<int>(y / dpr)),
            QSize(std::max(1, static_cast<int>(w / dpr)), std::max(1, static_cast<int>(h / dpr)))));
  bar->setPageStep(std::max(1, page));
  bar->setRange(0, std::max(0, max - page));  // never scrolls past the last column or row
  bar->setValue(0);
  bar->setEnabled(true);
  bar->setVisible(BarsShown());
}

void TpvImage::Relayout() {
  if (width() <= 0 || height() <= 0) resize(std::max(1, width()), std::max(1, height()));
  relayouting_ = true;
  const QSignalBlocker block_h(horz_), block_v(vert_);
  const int cw = std::max(1, ClientWidth()), ch = std::max(1, ClientHeight());
  const TicBitmap* image = document_.Image();
  if (!image) {
    PlaceBar(horz_, false, 0, 0, 0, 0, 0, 0);
    PlaceBar(vert_, false, 0, 0, 0, 0, 0, 0);
    display_width_ = display_height_ = 0;
  } else {
    const int iw = image->Width(), ih = image->Height();
    if (auto_zoom_ && iw > 0 && ih > 0) {
      if (cw < iw || ch < ih) {
        zoom_ = std::min(cw * 100.0 / iw, ch * 100.0 / ih);
      } else {
        zoom_ = 100;
      }
    }
    // A zoom set before a larger image came is brought down to one the layout can carry.
    zoom_ = std::min(zoom_, MaxZoomFor(std::max(iw, ih)));
    display_width_ = Zoomed(iw, zoom_);
    display_height_ = Zoomed(ih, zoom_);
    int surface_w = std::min(display_width_, cw), surface_h = std::min(display_height_, ch);
    bool need_h = cw < display_width_, need_v = ch < display_height_;
    if (need_v && cw - kBarThickness < display_width_) need_h = need_h || BarsShown();
    if (need_h && ch - kBarThickness < display_height_) need_v = need_v || BarsShown();
    if (need_h) {
      const int top = display_height_ + kBarThickness > ch ? ch - kBarThickness : display_height_;
      surface_w = cw - (need_v && BarsShown() ? kBarThickness : 0);
      PlaceBar(horz_, true, 0, top, surface_w, kBarThickness, surface_w, display_width_);
    } else {
      PlaceBar(horz_, false, 0, 0, 0, 0, 0, 0);
    }
    if (need_v) {
      const int left = display_width_ + kBarThickness > cw ? cw - kBarThickness : display_width_;
      surface_h = ch - (need_h && BarsShown() ? kBarThickness : 0);
      PlaceBar(vert_, true, left, 0, kBarThickness, surface_h, surface_h, display_height_);
    } else {
      PlaceBar(vert_, false, 0, 0, 0, 0, 0, 0);
    }
    const double dpr = DevicePixelRatio();
    surface_->setGeometry(0, 0, static_cast<int>(surface_w / dpr),
                          static_cast<int>(surface_h / dpr));
  }
  RestoreViewPos();
  relayouting_ = false;
  update();
}

void TpvImage::RememberScrollPos() {
  if (!KeepScrollPos_) return;
  kept_horz_ = ScrollBarHorizPos();
  kept_vert_ = ScrollBarVertPos();
}

void TpvImage::RestoreViewPos() {
  if (KeepScrollPos_) {
    if (HasScrollBarHoriz()) horz_->setValue(kept_horz_);
    if (HasScrollBarVert()) vert_->setValue(kept_vert_);
    kept_horz_ = kept_vert_ = 0;
  }
  if (zoom_changed_) {
    if (HasScrollBarHoriz() && zoom_centre_x_ != 0)
      horz_->setValue(CentredPosition(zoom_centre_x_, zoom_, SurfaceWidth()));
    if (HasScrollBarVert() && zoom_centre_y_ != 0)
      vert_->setValue(CentredPosition(zoom_centre_y_, zoom_, SurfaceHeight()));
  }
  zoom_changed_ = false;
}

void TpvImage::ScrollChanged() {
  update();
  setFocus();
  FireHost(OnScroll);
}

void TpvImage::SetColorFormat(uint8_t code) {
  ReLaidOut([&](TImageDocument& d) { d.SetColorFormat(code); });
}

void TpvImage::Repainted(const std::function<void(TImageDocument&)>& change) {
  change(document_);
  update();
}

void TpvImage::ReLaidOut(const std::function<void(TImageDocument&)>& change) {
  change(document_);
  Relayout();
}

void TpvImage::Brightness(int value, bool red, bool green, bool blue) {
  Repainted([&](TImageDocument& d) { d.Brightness(value, red, green, blue); });
}
void TpvImage::Contrast(int value, bool red, bool green, bool blue) {
  Repainted([&](TImageDocument& d) { d.Contrast(value, red, green, blue); });
}
void TpvImage::Sharpen(int level) {
  Repainted([&](TImageDocument& d) { d.Sharpen(level); });
}
void TpvImage::Blur(int level) {
  Repainted([&](TImageDocument& d) { d.Blur(level); });
}
void TpvImage::Flip(uint8_t mode) {
  Repainted([&](TImageDocument& d) { d.Flip(mode); });
}
void TpvImage::ReduceRedEye() {
  Repainted([](TImageDocument& d) { d.ReduceRedEye(); });
}
void TpvImage::SelectRectangle(int x1, int y1, int x2, int y2) {
  Repainted([&](TImageDocument& d) { d.SelectRectangle(x1, y1, x2, y2); });
}
void TpvImage::SelectEllipse(int x1, int y1, int x2, int y2) {
  Repainted([&](TImageDocument& d) { d.SelectEllipse(x1, y1, x2, y2); });
}
void TpvImage::CancelSelection() {
  document_.CancelSelection();
  if (selection_->Running()) selection_->End();
  update();
}
void TpvImage::SetUseSelection(bool on) {
  Repainted([&](TImageDocument& d) { d.SetUseSelection(on); });
}
void TpvImage::SetSelectionVisible(bool on) {
  selection_visible_ = on;
  update();
}
void TpvImage::SetCursorId(int16_t id) {
  cursor_ = id;
  setCursor(TCursorTable::Instance().CursorOf(id));
}
void TpvImage::Crop(int x1, int y1, int x2, int y2) {
  ReLaidOut([&](TImageDocument& d) { d.Crop(x1, y1, x2, y2); });
}
void TpvImage::Rotate(float angle) {
  ReLaidOut([&](TImageDocument& d) { d.Rotate(angle, Resample_); });
}
void TpvImage::ResizeImage(int width, int height) {
  ReLaidOut([&](TImageDocument& d) { d.Resize(width, height, FilterType_, Resample_); });
}
void TpvImage::CropToSelection() {
  ReLaidOut([](TImageDocument& d) { d.CropToSelection(); });
}
bool TpvImage::ResizeFit(int32_t max_width, int32_t max_height) {
  bool resized = false;
  ReLaidOut([&](TImageDocument& d) {
    resized = d.ResizeFit(max_width, max_height, FilterType_, Resample_);
  });
  return resized;
}
void TpvImage::ScaleImage(float percent) {
  if (!(percent > 0) || !ImageLoaded()) return;
  const double width = std::trunc(double{percent} * ImageWidth() / 100 + 0.5);
  ResizeImage(static_cast<int>(std::min<double>(width, std::numeric_limits<int32_t>::max())), 0);
}
void TpvImage::Invert() {
  Repainted([](TImageDocument& d) { d.Invert(); });
}
void TpvImage::SetBGColor(plat::TColor color) {
  document_.SetBGColor(color);
}
void TpvImage::SetTransparent(bool on) {
  document_.SetTransparent(on);
}
void TpvImage::SetCompression(uint8_t code) {
  document_.SetCompression(code);
}
void TpvImage::SetProgressiveJPEG(bool on) {
  document_.SetProgressiveJPEG(on);
}
void TpvImage::SetXPelsPerMeter(int32_t value) {
  document_.SetXPelsPerMeter(value);
}
void TpvImage::SetYPelsPerMeter(int32_t value) {
  document_.SetYPelsPerMeter(value);
}
void TpvImage::SetXDPI(int32_t value) {
  document_.SetXDPI(value);
}
void TpvImage::SetYDPI(int32_t value) {
  document_.SetYDPI(value);
}

void TpvImage::SetJPEGQuality(int value) {
  jpeg_quality_ = static_cast<uint8_t>(std::clamp(value, 1, 100));
}

void TpvImage::SetZoom(double zoom) {
  if (auto_zoom_ || !(zoom > 0) || !std::isfinite(zoom)) return;
  if (zoom > MaxZoomFor(std::max(ImageWidth(), ImageHeight())))
    throw plat::EInvalidGraphicOperation("Zoom too large for the image");
  const bool loaded = ImageLoaded();
  zoom_centre_x_ =
      loaded && HasScrollBarHoriz() ? ZoomCentre(ScrollBarHorizPos(), SurfaceWidth(), zoom_) : 0;
  zoom_centre_y_ =
      loaded && HasScrollBarVert() ? ZoomCentre(ScrollBarVertPos(), SurfaceHeight(), zoom_) : 0;
  if (zoom == zoom_) return;
  zoom_ = zoom;
  zoom_changed_ = true;
  Relayout();
}

void TpvImage::MouseSelect(uint8_t mode) {
  if (!ImageLoaded()) return;
  selection_->Start(mode);
  const QPointer<TpvImage> alive(this);
  while (selection_->Mode() == mode) {
    plat::PumpMessagesFor(kSelectionWaitMs);
    if (!alive) return;  // an event handler of the host deleted the control
    if (!ImageLoaded() && selection_->Running()) selection_->End();
  }
}

void TpvImage::ZoomToSelection() {
  if (document_.SelectionShape() == ssNone) return;
  const TSelectionBounds s = document_.SelectionBounds();
  const double zoom = ZoomForSelection(
      {s, ClientWidth(), ClientHeight(), ImageWidth(), ImageHeight(), show_scroll_bars_});
  if (zoom > 0) zoom_ = zoom;  // a control too small for the bars keeps the zoom it has
  SetAutoZoom(false);
  Relayout();
  SetScrollBarHorizPos(CentringPosition(s.left, s.right - s.left + 1, zoom_, SurfaceWidth()));
  SetScrollBarVertPos(CentringPosition(s.top, s.bottom - s.top + 1, zoom_, SurfaceHeight()));
}

bool TpvImage::AutoScale() {
  const std::optional<float> percent =
      AutoScalePercent(ClientWidth(), ClientHeight(), ImageWidth(), ImageHeight());
  if (!percent) return false;
  ScaleImage(*percent);
  return true;
}

void TpvImage::SetAutoZoom(bool on) {
  if (on == auto_zoom_) return;  // a layout would scroll the view back to its top-left corner
  auto_zoom_ = on;
  Relayout();
}

void TpvImage::SetShowScrollBars(bool on) {
  show_scroll_bars_ = on;
  Relayout();
}

void TpvImage::SetScrollSpeed(int32_t speed) {
  if (speed < 1 || speed > 32767) return;
  scroll_speed_ = speed;
  horz_->setSingleStep(speed);
  vert_->setSingleStep(speed);
}

void TpvImage::SetScaleToGray(bool on) {
  scale_to_gray_ = on;
  Relayout();
}

// --- loading ---

void TpvImage::ReplaceImage(std::unique_ptr<TicBitmap> image) {
  document_.Replace(std::move(image));
  Relayout();
}

void TpvImage::TwainImageAcquired(std::unique_ptr<TicBitmap> image) {
  ReplaceImage(std::move(image));
  if (OnAcquire) OnAcquire();  // the handler may destroy this control
}

void TpvImage::LoadFromFile(const std::string& file_name) {
  RememberScrollPos();
  auto image = ImageOfFile(file_name, UseLZW_, read_image_number_);
  last_file_name_ = plat::Utf8ToUtf16(file_name);
  ReplaceImage(std::move(image));
}

void TpvImage::LoadFromURL(const std::u16string& url) {
  TicBitmap loaded;
  loaded.UseLZW = UseLZW_;
  RememberScrollPos();
  loaded.LoadFromURL(plat::Utf16ToUtf8(url), plat::Utf16ToUtf8(URLUserName_), read_image_number_,
                     plat::Utf16ToUtf8(URLPassword_));
  last_file_name_ = url;
  ReplaceImage(std::make_unique<TicBitmap>(loaded));
}

void TpvImage::ReadBinary(uint8_t format, const uint8_t* data, int64_t size) {
  RememberScrollPos();
  auto image = ImageOfBytes(format, data, size, UseLZW_, read_image_number_);
  last_file_name_.clear();
  ReplaceImage(std::move(image));
}

void TpvImage::SetBMPHandle(uint32_t handle) {
  RememberScrollPos();
  auto image = ImageOfHandle(handle, ReleaseBMPHandle_);
  if (!image) return;
  last_file_name_.clear();
  ReplaceImage(std::move(image));
}

// --- merging ---

TMergeOptions TpvImage::MergeOptions() const {
  return {MergeTransparent_, MergeTransparentColor_, MergeTransparency_, MergeStyle_, MergeLeft_,
          MergeTop_};
}

void TpvImage::MergeWith(const std::function<void()>& load_here,
                         const std::function<std::unique_ptr<TicBitmap>()>& read_fresh) {
  // The temporary control: the image part of a fresh one, without a window.
  TImageDocument overlay;
  if (!MergeReverse_) {
    overlay.Replace(read_fresh());
  } else {
    if (!ImageLoaded()) return;
    const std::vector<uint8_t> former = *WriteBinary(gfBMP);
    load_here();
    overlay.Replace(
        ImageOfBytes(gfBMP, former.data(), static_cast<int64_t>(former.size()), true, 1));
  }
  if (!overlay.Loaded()) return;
  Repainted([&](TImageDocument& d) { d.Merge(*overlay.Image(), MergeOptions()); });
}

void TpvImage::MergeFile(const std::string& file_name) {
  MergeWith([&] { LoadFromFile(file_name); }, [&] { return ImageOfFile(file_name, true, 1); });
}

void TpvImage::MergeBinary(uint8_t format, const uint8_t* data, int64_t size) {
  MergeWith([&] { ReadBinary(format, data, size); },
            [&] { return ImageOfBytes(format, data, size, true, 1); });
}

void TpvImage::MergeHandle(uint32_t handle) {
  MergeWith([&] { SetBMPHandle(handle); },
            [&] { return ImageOfHandle(handle, ReleaseBMPHandle_); });
}

void TpvImage::Paste() {
  const QImage pasted = QApplication::clipboard()->image();
  if (!pasted.isNull()) TakePixels(pasted);
}

void TpvImage::TakePixels(const QImage& pixels) {
  RememberScrollPos();
  auto image = std::make_unique<TicBitmap>();
  image->Assign(plat::FromQImage(pixels));
  last_file_name_.clear();
  ReplaceImage(std::move(image));
}

void TpvImage::CaptureWindow(uint32_t window) {
  const std::optional<QImage> pixels = plat::CaptureWindowPixels(window);
  if (!pixels) return;
  // Nothing of the window on the screen leaves no usable image.
  if (pixels->isNull())
    Clear();
  else
    TakePixels(*pixels);
}

void TpvImage::CaptureScreen() {
  CaptureWindow(plat::DesktopWindow());
}

void TpvImage::Clear() {
  document_.Clear();
  last_file_name_.clear();
  Relayout();
}

void TpvImage::NewImage(int32_t width, int32_t height) {
  auto image = std::make_unique<TicBitmap>();
  image->SetPixelFormat(plat::TPixelFormat::pf24bit);
  image->SetSize(width, height);
  const plat::TRGBQuad fill = plat::TRGBQuad::FromColor(BrushColor_);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = image->ScanLine(y);
    for (int x = 0; x < width; ++x) {
      row[3 * x] = fill.rgbBlue;
      row[3 * x + 1] = fill.rgbGreen;
      row[3 * x + 2] = fill.rgbRed;
    }
  }
  image->UpdateColorFormat();
  last_file_name_.clear();
  ReplaceImage(std::move(image));
}

int32_t TpvImage::ImageCount(const std::u16string& file_name) const {
  return CountImagePages(plat::Utf16ToUtf8(file_name), plat::Utf16ToUtf8(URLUserName_),
                         plat::Utf16ToUtf8(URLPassword_));
}

int32_t TpvImage::ImageCountBinary(uint8_t format, const std::vector<uint8_t>& data) const {
  return CountImagePagesInBytes(format, data);
}

// --- exporting ---

void TpvImage::WithWorkingCopy(const std::function<void(TicBitmap&)>& export_image) {
  document_.WithWorkingCopy(export_image);
}

int TpvImage::PrintImage() {
  if (!ImageLoaded()) return prNoImage;
  // The restored image's colour format is derived again, also after a printer error.
  struct DeriveColorFormat {
    TImageDocument& document;
    ~DeriveColorFormat() {
      document.Change([](TicBitmap& image) { image.UpdateColorFormat(); });
    }
  } derive{document_};
  int result = prNoImage;
  WithWorkingCopy([&](TicBitmap& image) { result = printing_.Print(image); });
  return result;
}

void TpvImage::SaveToFile(const std::string& file_name) {
  WithWorkingCopy(
      [&](TicBitmap& image) { image.SaveImageFile(file_name, UseLZW_, jpeg_quality_); });
  if (ImageLoaded()) last_file_name_ = plat::Utf8ToUtf16(file_name);
}

std::optional<std::vector<uint8_t>> TpvImage::WriteBinary(uint8_t format) {
  if (!ImageLoaded() || format > gfPDF) return std::nullopt;
  std::vector<uint8_t> bytes;
  WithWorkingCopy(
      [&](TicBitmap& image) { bytes = image.SaveToBytes(format, UseLZW_, jpeg_quality_); });
  update();
  return bytes;
}

int64_t TpvImage::NewFileSize(uint8_t format) {
  int64_t size = 0;
  WithWorkingCopy(
      [&](TicBitmap& image) { size = image.EncodedSize(format, UseLZW_, jpeg_quality_); });
  return size;
}

std::vector<uint8_t> TpvImage::PictureData() {
  return ImageLoaded() ? CurrentImage()->GetDIBData() : std::vector<uint8_t>{};
}

uint32_t TpvImage::BitmapHandle() {
  plat::THandle handle = 0;
  WithWorkingCopy([&](TicBitmap& image) { handle = plat::NewBitmapHandle(image); });
  return handle;
}

void TpvImage::Copy() {
  WithWorkingCopy([&](TicBitmap& image) {
    if (image.ColorFormat == cfMono) image.SetColorFormat(cf16Color);
    QApplication::clipboard()->setImage(plat::ToQImage(image));
  });
  document_.Change([](TicBitmap& image) { image.UpdateColorFormat(); });
}

// --- multipage documents ---

void TpvImage::AddToPDF(int32_t page) {
  WithWorkingCopy([&](TicBitmap& image) { page_lists_.AddToPDF(image, page, jpeg_quality_); });
}

void TpvImage::InsertPDF(const std::string& source, const std::string& dest, int32_t page) {
  const TSourceAndDest names = PDFFileNames(source, dest);
  if (!plat::FileExists(names.source)) {
    SaveToFile(names.dest);
    return;
  }
  WithWorkingCopy([&](TicBitmap& image) {
    image.InsertIntoPDF(names.source, names.dest, page, jpeg_quality_);
  });
}

void TpvImage::AddToTIF(int32_t page) {
  WithWorkingCopy([&](TicBitmap& image) { page_lists_.AddToTIF(image, page); });
}

void TpvImage::InsertTIF(const std::string& source, const std::string& dest, int32_t page) {
  WithWorkingCopy([&](TicBitmap& image) { image.InsertIntoTIF(source, dest, page); });
}

bool TpvImage::PostImage(const TUploadTarget& target) {
  return upload_.Post(target, page_lists_, document_, jpeg_quality_, UseLZW_, PostReturnCode_);
}

// --- dialogs ---

bool TpvImage::LoadDialog() {
  const std::optional<std::string> file_name = AskFileToOpen(this);
  if (file_name) LoadFromFile(*file_name);
  return file_name.has_value();
}

bool TpvImage::SaveDialog() {
  const std::optional<std::string> file_name = AskFileToSave(this, last_file_name_);
  if (file_name) SaveToFile(*file_name);
  return file_name.has_value();
}

// --- painting ---

QImage TpvImage::Render() {
  QImage frame(std::max(1, ClientWidth()), std::max(1, ClientHeight()), QImage::Format_RGB32);
  frame.fill(kBarFace);
  if (!relayouting_) RenderSurface(frame);
  return frame;
}

void TpvImage::RenderSurface(QImage& frame) {
  QPainter painter(&frame);
  const int cw = frame.width(), ch = frame.height();
  if (!document_.Loaded()) {
    painter.setPen(QPen(kNoImageFrame, 1, Qt::DotLine));
    painter.setBrush(kBarFace);
    painter.drawRect(0, 0, cw - 1, ch - 1);
    return;
  }
  std::unique_ptr<TicBitmap> exported;
  const TicBitmap* source = document_.Image();
  if (const TicBitmap* original = document_.ExportOriginal()) {
    exported = std::make_unique<TicBitmap>(*original);
    exported->CopyPaletteFrom(*original);
    exported->UpdateColorFormat();
    source = exported.get();
  }
  const QRect surface(0, 0, SurfaceWidth(), SurfaceHeight());
  int drawn_w, drawn_h;
  painter.setClipRect(surface);
  if (zoom_ == 100) {
    painter.drawImage(-ScrollBarHorizPos(), -ScrollBarVertPos(), plat::ToQImage(*source));
    drawn_w = source->Width();
    drawn_h = source->Height();
  } else {
    painter.end();
    RenderZoomed(*source, frame);
    painter.begin(&frame);
    drawn_w = display_buffer_.Width();
    drawn_h = display_buffer_.Height();
  }
  painter.end();
  DrawSelectionOutline(*source, surface, frame);
  if (const std::optional<TRubberBand> band = selection_->Band())
    InvertDottedOutline(frame, surface, band->box, band->ellipse);
  painter.begin(&frame);
  painter.setPen(kBarFace);
  painter.setBrush(kBarFace);
  const int w = drawn_w + (vert_->isVisible() ? kBarThickness : 0);
  if (w < cw) painter.drawRect(w, 0, cw - w, ch);
  const int h = drawn_h + (horz_->isVisible() ? kBarThickness : 0);
  if (h < ch) painter.drawRect(0, h, cw, ch - h);
}

void TpvImage::RenderZoomed(const TicBitmap& source, QImage& frame) {
  const int bw = SurfaceWidth(), bh = SurfaceHeight();
  const double f = zoom_ / 100;
  const int h = ScrollBarHorizPos(), v = ScrollBarVertPos();
  const int sw = source.Width(), sh = source.Height();
  if (bw <= 0 || bh <= 0 || sw <= 0 || sh <= 0) return;
  const bool halftone = source.ColorFormat == cfMonoBW && zoom_ < 100 && scale_to_gray_;
  if (halftone) {
    // Averages the black and white pixels under each buffer pixel into a grey.
    display_buffer_.SetPixelFormat(plat::TPixelFormat::pf8bit);
    display_buffer_.SetSize(bw, bh);
    plat::TColorTable ramp(256);
    for (int i = 0; i < 256; ++i) ramp[i] = {uint8_t(i), uint8_t(i), uint8_t(i), 0};
    display_buffer_.SetColorTable(ramp);
    const int x0 = static_cast<int>(h / f), y0 = static_cast<int>(v / f);
    const double span_w = std::trunc(bw * 100 / zoom_), span_h = std::trunc(bh * 100 / zoom_);
    const uint8_t white = source.Palette().size() > 1 ? source.Palette()[1].rgbGreen : 255;
    const uint8_t black = source.Palette().empty() ? 0 : source.Palette()[0].rgbGreen;
    for (int r = 0; r < bh; ++r) {
      const int ya = std::min(sh - 1, y0 + static_cast<int>(r * span_h / bh));
      const int yb = std::clamp(y0 + static_cast<int>((r + 1) * span_h / bh), ya + 1, sh);
      uint8_t* out = display_buffer_.ScanLine(r);
      for (int i = 0; i < bw; ++i) {
        const int xa = std::min(sw - 1, x0 + static_cast<int>(i * span_w / bw));
        const int xb = std::clamp(x0 + static_cast<int>((i + 1) * span_w / bw), xa + 1, sw);
        int64_t sum = 0;
        for (int y = ya; y < yb; ++y)
          for (int x = xa; x < xb; ++x) sum += IndexAt(source.ScanLine(y), x, 1) ? white : black;
        out[i] = static_cast<uint8_t>(sum / (int64_t{yb - ya} * (xb - xa)));
      }
    }
  } else {
    const int bits = plat::BitsPerPixel(source.PixelFormat());
    display_buffer_.SetPixelFormat(source.PixelFormat());
    display_buffer_.SetSize(bw, bh);
    display_buffer_.SetColorTable(source.Palette());
    for (int r = 0; r < bh; ++r) {
      const int sy = std::min(sh - 1, static_cast<int>(std::trunc((v + r) / f)));
      const uint8_t* from = source.ScanLine(sy);
      uint8_t* to = display_buffer_.ScanLine(r);
      for (int i = 0; i < bw; ++i) {
        const int sx = std::min(sw - 1, static_cast<int>(std::trunc((h + i) / f)));
        CopyPixel(from, sx, to, i, bits);
      }
    }
  }
  QPainter painter(&frame);
  painter.drawImage(0, 0, plat::ToQImage(display_buffer_));
}

void TpvImage::DrawSelectionOutline(const TicBitmap& source, const QRect& surface, QImage& frame) {
  if (!selection_visible_ || source.SelectionShape() == ssNone) return;
  const int h = ScrollBarHorizPos(), v = ScrollBarVertPos();
  const TSelectionBounds& bounds = source.SelectionBounds();
  const int x1 = Zoomed(bounds.left, zoom_) - h, y1 = Zoomed(bounds.top, zoom_) - v;
  // The right and bottom edges are outside the shape, as on the original canvas.
  const int x2 = Zoomed(bounds.right + 1, zoom_) - h - 1;
  const int y2 = Zoomed(bounds.bottom + 1, zoom_) - v - 1;
  InvertDottedOutline(frame, surface, QRect(QPoint(x1, y1), QPoint(x2, y2)),
                      source.SelectionShape() == ssEllipse);
}

void TpvImage::paintEvent(QPaintEvent*) {
  QImage frame = Render();
  frame.setDevicePixelRatio(DevicePixelRatio());
  QPainter painter(this);
  painter.drawImage(0, 0, frame);
}

void TpvImage::resizeEvent(QResizeEvent*) {
  if (!relayouting_) Relayout();
}

// --- mouse ---

bool TpvImage::HandleMouse(QMouseEvent* event, QPoint pos, bool from_surface) {
  const double dpr = DevicePixelRatio();
  const TMouseArgs args{MouseButtonCode(event->button()),
                        ShiftStateCode(event->buttons(), event->modifiers()),
                        static_cast<int32_t>(std::lround(pos.x() * dpr)),
                        static_cast<int32_t>(std::lround(pos.y() * dpr))};
  // The surface's press, move and release handlers are the mouse selection's while it runs;
  // click and double click stay the host's.
  const auto to_handler = [&](void (TMouseSelection::*selection_handler)(const TMouseArgs&),
                              const auto& host_event) {
    if (from_surface && selection_->Running()) {
      (selection_.get()->*selection_handler)(args);
    } else {
      host_event();
    }
  };
  const auto mouse_down = [&] {
    to_handler(&TMouseSelection::MouseDown,
               [&] { FireHost(OnMouseDown, args.button, args.shift, args.x, args.y); });
  };
  const QPointer<TpvImage> alive(this);
  switch (event->type()) {
    case QEvent::MouseMove:
      to_handler(&TMouseSelection::MouseMove,
                 [&] { FireHost(OnMouseMove, args.shift, args.x, args.y); });
      break;
    case QEvent::MouseButtonPress:
      press_inside_ = event->button() == Qt::LeftButton;
      mouse_down();
      break;
    case QEvent::MouseButtonRelease:
      if (press_inside_ && event->button() == Qt::LeftButton && rect().contains(pos)) {
        press_inside_ = false;
        FireHost(OnClick);
        if (!alive) break;
      }
      to_handler(&TMouseSelection::MouseUp,
                 [&] { FireHost(OnMouseUp, args.button, args.shift, args.x, args.y); });
      break;
    case QEvent::MouseButtonDblClick:
      FireHost(OnDblClick);
      if (alive) mouse_down();
      break;
    default:
      return false;
  }
  return true;
}

void TpvImage::mousePressEvent(QMouseEvent* event) {
  HandleMouse(event, event->position().toPoint(), false);
}
void TpvImage::mouseReleaseEvent(QMouseEvent* event) {
  HandleMouse(event, event->position().toPoint(), false);
}
void TpvImage::mouseMoveEvent(QMouseEvent* event) {
  HandleMouse(event, event->position().toPoint(), false);
}
void TpvImage::mouseDoubleClickEvent(QMouseEvent* event) {
  HandleMouse(event, event->position().toPoint(), false);
}

bool TpvImage::eventFilter(QObject* watched, QEvent* event) {
  auto* bar = qobject_cast<QScrollBar*>(watched);
  if (bar && (bar == horz_ || bar == vert_)) {
    switch (event->type()) {
      case QEvent::MouseMove:
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        // Reported in control coordinates (a vertical bar adds its left, a horizontal one its
        // top); the bar still handles the event itself, unless the host deleted the control.
        const QPointer<TpvImage> alive(this);
        HandleMouse(mouse, bar->mapToParent(mouse->position().toPoint()), false);
        if (!alive) return true;
        break;
      }
      default:
        break;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace pictavo
