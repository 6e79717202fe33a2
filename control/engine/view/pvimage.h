#pragma once
// TpvImage: the window behind the ImageBox control. It owns the current image, shows it at a
// zoom factor on a paint surface with two scroll bars, and runs every load and export so that a
// failure never damages what the user sees:
// - every load goes through a temporary TicBitmap, so a failed load changes nothing;
// - every export runs on the working-copy pattern (WithWorkingCopy): the image is copied, cut
//   to the selection when UseSelection is on, exported, restored, and the selection re-created
//   whether or not the export succeeded.
//
// Sizes and positions are device pixels: at Zoom 100 one image pixel covers one device pixel,
// whatever scaling the desktop applies to the rest of the interface.
#include <QScrollBar>
#include <QWidget>
#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "control/engine/print/image_print.h"
#include "control/engine/raster/ticbitmap.h"
#include "control/engine/view/cursor_table.h"
#include "control/engine/twain/scanning.h"
#include "control/engine/view/image_document.h"
#include "control/engine/view/image_drawing.h"
#include "control/engine/view/image_metadata.h"
#include "control/engine/view/image_upload.h"
#include "control/engine/view/mouse_selection.h"
#include "control/engine/view/page_lists.h"
#include "platform/com/interfaces.h"

namespace pictavo {

// Mouse button codes and shift-state bits the control reports.
enum TxMouseButton : int16_t { mbNone = 0, mbLeft = 1, mbRight = 2, mbMiddle = 4 };
enum TxShiftBits : int16_t {
  ssLeft = 1,
  ssRight = 2,
  ssMiddle = 4,
  ssShift = 8,
  ssCtrl = 16,
  ssAlt = 32,
};

// The text font as the control keeps and persists it.
struct TFontDesc {
  enum StyleBits : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
  uint8_t Charset = 1;              // DEFAULT_CHARSET
  plat::TColor Color = 0x80000008;  // clWindowText
  int32_t Height = -11;
  std::string Name = "MS Sans Serif";
  uint8_t Style = 0;
  friend bool operator==(const TFontDesc&, const TFontDesc&) = default;
};

class TpvImage : public QWidget {
 public:
  explicit TpvImage(QWidget* parent = nullptr);
  ~TpvImage() override;

  // --- events (set before the window is shown) ---
  std::function<void(int16_t shift, int32_t x, int32_t y)> OnMouseMove;
  std::function<void(int16_t button, int16_t shift, int32_t x, int32_t y)> OnMouseDown;
  std::function<void(int16_t button, int16_t shift, int32_t x, int32_t y)> OnMouseUp;
  std::function<void()> OnClick, OnDblClick, OnScroll;
  std::function<void()> OnAcquire, OnAcquireCancel, OnAcquireFinish;

  // --- children ---
  QWidget* PaintSurface() const;
  QScrollBar* HorzScrollBar() const { return horz_; }
  QScrollBar* VertScrollBar() const { return vert_; }

  // --- settings the members store and read back: Name() and SetName(value) each ---
#define PICTAVO_VIEW_SETTINGS(X)                                 \
  X(bool, MergeTransparent, false)                               \
  X(plat::TColor, MergeTransparentColor, 0xFFFFFF)               \
  X(double, MergeTransparency, 0)                                \
  X(uint8_t, MergeStyle, wmSingle)                               \
  X(int32_t, MergeLeft, 0)                                       \
  X(int32_t, MergeTop, 0)                                        \
  X(bool, MergeReverse, false)                                   \
  X(bool, UseLZW, true)                                          \
  X(plat::TColor, PenColor, 0)                                   \
  X(uint8_t, PenMode, 4) /* pmCopy */                            \
  X(int32_t, PenWidth, 1)                                        \
  X(uint8_t, PenStyle, 0) /* psSolid */                          \
  X(plat::TColor, BrushColor, 0xFFFFFF)                          \
  X(uint8_t, BrushStyle, 0) /* bsSolid */                        \
  X(bool, Resample, false)                                       \
  X(bool, TextTransparent, false)                                \
  X(float, TextAngle, 0)                                         \
  X(uint8_t, TextJustify, 0) /* tjLeft */                        \
  X(plat::TColor, FloodFillColor, 0)                             \
  X(uint8_t, FloodFillStyle, 0) /* fsSurface */                  \
  X(bool, KeepScrollPos, false)                                  \
  X(int32_t, FilterType, 1)                                      \
  X(bool, Antialias, false)                                      \
  X(bool, ReleaseBMPHandle, true)                                \
  X(std::u16string, URLUserName, u"")                            \
  X(std::u16string, URLPassword, u"")                            \
  X(int32_t, BlankTol, 100)                                      \
  X(int32_t, PostReturnCode, 0)                                  \
  X(std::string, TwainAppName, "Pictavo")                        \
  X(bool, DesignMode, false)                                     \
  X(TFontDesc, TextFont, {})                                     \
  /* window-control properties a host persists and reads back */ \
  X(int32_t, Tag, 0)                                             \
  X(std::string, Hint, "")                                       \
  X(uint8_t, HelpType, 1) /* htContext */                        \
  X(std::string, HelpKeyword, "")                                \
  X(int32_t, HelpContext, 0)
#define PICTAVO_VIEW_SETTING_ACCESSORS(type, name, initial) \
  const type& name() const {                                \
    return name##_;                                         \
  }                                                         \
  void Set##name(const type& value) {                       \
    name##_ = value;                                        \
  }
  PICTAVO_VIEW_SETTINGS(PICTAVO_VIEW_SETTING_ACCESSORS)
#undef PICTAVO_VIEW_SETTING_ACCESSORS

  // --- settings whose change shows something or has a rule ---
  uint8_t JPEGQuality() const {
    return jpeg_quality_;
  }
  void SetJPEGQuality(int value);  // 1..100
  bool SelectionVisible() const {
    return selection_visible_;
  }
  void SetSelectionVisible(bool on);  // repaints
  bool ScaleToGray() const {
    return scale_to_gray_;
  }
  void SetScaleToGray(bool on);
  int16_t Cursor() const {
    return cursor_;
  }
  // Cursor := id, shown over the control through the process's cursor table.
  void SetCursorId(int16_t id);
  int32_t ReadImageNumber() const {
    return read_image_number_;
  }
  void SetReadImageNumber(int32_t page) {
    read_image_number_ = std::max(1, page);
  }  // 1 and up
  // The file or URL of the last load (empty after anything else made the image).
  const std::u16string& LastFileName() const {
    return last_file_name_;
  }

  // --- image state (the document holds the rules; the view shows their result) ---
  const TImageDocument& Document() const {
    return document_;
  }
  const TicBitmap* CurrentImage() const {
    return document_.Image();
  }
  bool ImageLoaded() const {
    return document_.Loaded();
  }
  int32_t ImageWidth() const {
    return ImageLoaded() ? CurrentImage()->Width() : 0;
  }
  int32_t ImageHeight() const {
    return ImageLoaded() ? CurrentImage()->Height() : 0;
  }
  uint8_t ColorFormat() const {
    return document_.ColorFormat();
  }
  void SetColorFormat(uint8_t code);

  // The IPTC and EXIF data of the image; changes show nothing.
  TImageMetadata Metadata() {
    return TImageMetadata(document_);
  }

  // --- pixel and selection changes: repainted ---
  void Brightness(int value, bool red, bool green, bool blue);
  void Contrast(int value, bool red, bool green, bool blue);
  void Sharpen(int level);
  void Blur(int level);
  void Flip(uint8_t mode);
  void ReduceRedEye();
  void SelectRectangle(int x1, int y1, int x2, int y2);
  void SelectEllipse(int x1, int y1, int x2, int y2);
  // Also ends a running mouse selection.
  void CancelSelection();
  void SetUseSelection(bool on);
  // --- size changes: laid out again ---
  void Crop(int x1, int y1, int x2, int y2);
  void Rotate(float angle);  // fills with the image's BGColor, smoothed when Resample is on
  void ResizeImage(int width, int height);
  void CropToSelection();
  // Shrinks the image into max_width x max_height keeping its aspect ratio; false when nothing
  // changed (see TImageDocument::ResizeFit).
  bool ResizeFit(int32_t max_width, int32_t max_height);
  // Resizes to percent of the width, the height following the aspect ratio; percent > 0 only.
  void ScaleImage(float percent);

  // --- drawing on the image with the pen, brush and text fields ---
  TImageDrawing& Drawing() {
    return drawing_;
  }
  // Runs change on the image when there is one (nothing is repainted); true when it ran.
  bool ChangeImage(const std::function<void(TicBitmap&)>& change) {
    return document_.Change(change);
  }

  // --- whole-image analysis ---
  int64_t ColorCount(plat::TColor colour) const {
    return document_.ColorCount(colour);
  }
  void Invert();
  // The blank test with BlankTol parts per million (a negative BlankTol reads as a huge one).
  bool IsBlank() const {
    return document_.IsBlank(static_cast<uint32_t>(BlankTol_));
  }

  // --- merging a second image with the Merge* fields ---
  // The second image is read as a fresh control would read it (UseLZW on, page 1). With
  // MergeReverse the roles swap: the second image becomes this control's image and the former
  // one (only its selected part under UseSelection) is merged onto it.
  void MergeFile(const std::string& file_name);
  void MergeBinary(uint8_t format, const uint8_t* data, int64_t size);
  void MergeHandle(uint32_t handle);

  // --- properties the image carries (nothing to show) ---
  void SetBGColor(plat::TColor color);
  void SetTransparent(bool on);
  void SetCompression(uint8_t code);
  void SetProgressiveJPEG(bool on);
  void SetXPelsPerMeter(int32_t value);
  void SetYPelsPerMeter(int32_t value);
  void SetXDPI(int32_t value);
  void SetYDPI(int32_t value);

  // --- mouse selection, zoom to it and scaling to the control ---
  // Lets the user drag a selection of the mode (TxMouseSelectionMode) with the left button and
  // returns when it is made or cancelled, processing events meanwhile; at once without an image.
  // The control may be deleted by an event handler during the wait.
  void MouseSelect(uint8_t mode);
  uint8_t MouseSelectionMode() const {
    return selection_->Mode();
  }
  bool SelectionDragging() const {
    return selection_->Dragging();
  }
  // Zooms so that the selection fills the control, centred; AutoZoom goes off.
  void ZoomToSelection();
  // Scales the image itself down into the control; false when it fits already.
  bool AutoScale();

  // --- view state ---
  double Zoom() const {
    return zoom_;
  }
  // Ignored while AutoZoom is on; a new value keeps the image point at the view's middle there.
  void SetZoom(double zoom);
  bool AutoZoom() const {
    return auto_zoom_;
  }
  void SetAutoZoom(bool on);
  bool ShowScrollBars() const {
    return show_scroll_bars_;
  }
  void SetShowScrollBars(bool on);
  int32_t ScrollSpeed() const {
    return scroll_speed_;
  }
  void SetScrollSpeed(int32_t speed);  // 1..32767 only
  int32_t DisplayWidth() const {
    return display_width_;
  }
  int32_t DisplayHeight() const {
    return display_height_;
  }
  bool HasScrollBarHoriz() const {
    return horz_->isEnabled();
  }
  bool HasScrollBarVert() const {
    return vert_->isEnabled();
  }
  int32_t ScrollBarHorizPos() const {
    return HasScrollBarHoriz() ? horz_->value() : 0;
  }
  int32_t ScrollBarVertPos() const {
    return HasScrollBarVert() ? vert_->value() : 0;
  }
  void SetScrollBarHorizPos(int32_t pos);  // only while the bar is active
  void SetScrollBarVertPos(int32_t pos);
  int32_t ScrollBarHorizWidth() const;
  int32_t ScrollBarVertHeight() const;
  // Size of the control and of its paint surface in device pixels.
  int32_t ClientWidth() const;
  int32_t ClientHeight() const;
  int32_t SurfaceWidth() const;
  int32_t SurfaceHeight() const;

  // Positions the paint surface and the scroll bars for the current image, size and zoom.
  void Relayout();
  // Re-creates the window wiring (scroll bars, handlers) and lays out again; safe to repeat.
  void CreateWnd();

  // --- loading ---
  void LoadFromFile(const std::string& file_name);
  // Downloads the image with URLUserName and URLPassword; LastFileName becomes the URL.
  void LoadFromURL(const std::u16string& url);
  // The encoded image bytes; format is a TxGraphicsFormat code cut to 8 bits.
  void ReadBinary(uint8_t format, const uint8_t* data, int64_t size);
  // Takes the image of a host bitmap handle (kept by the caller while ReleaseBMPHandle is on)
  // or of a memory handle holding a packed DIB (always freed); a handle that holds no image
  // changes nothing.
  void SetBMPHandle(uint32_t handle);
  void Paste();
  void Clear();
  // What the screen shows of the X11 window (the desktop for CaptureScreen) becomes the image;
  // nothing happens where the platform cannot capture.
  void CaptureWindow(uint32_t window);
  void CaptureScreen();
  // A new 24-bit image filled with BrushColor.
  void NewImage(int32_t width, int32_t height);

  // Pages of a file (URLs fetched with URLUserName and URLPassword) or of encoded bytes.
  int32_t ImageCount(const std::u16string& file_name) const;
  int32_t ImageCountBinary(uint8_t format, const std::vector<uint8_t>& data) const;

  // --- exporting (working-copy pattern) ---
  void SaveToFile(const std::string& file_name);
  // The encoded image; nothing without an image or for a code above gfPDF.
  std::optional<std::vector<uint8_t>> WriteBinary(uint8_t format);
  int64_t NewFileSize(uint8_t format);
  std::vector<uint8_t> PictureData();
  // A new bitmap handle of the image (only the selection when UseSelection is on) that the
  // caller owns; 0 without an image.
  uint32_t BitmapHandle();
  void Copy();
  // Runs export on the image cut to the selection when UseSelection is on; restores the image
  // and re-creates the selection afterwards, also when export raises.
  void WithWorkingCopy(const std::function<void(TicBitmap&)>& export_image);

  // The print settings, kept across image changes.
  TImagePrint& Printing() {
    return printing_;
  }
  // Prints the image (only the selection when UseSelection is on): a TxPrintResult code.
  int PrintImage();
  // --- multipage documents (adding and inserting run on the working copy) ---
  void AddToPDF(int32_t page);
  void WritePDF(const std::string& file_name) const {
    page_lists_.WritePDF(file_name);
  }
  void ClearPDF() {
    page_lists_.ClearPDF();
  }
  // Into an existing PDF by an incremental update; a missing source makes dest (source when
  // empty) a new one-page PDF of the image.
  void InsertPDF(const std::string& source, const std::string& dest, int32_t page);
  void AddToTIF(int32_t page);
  void WriteTIF(const std::string& file_name) const {
    page_lists_.WriteTIF(file_name);
  }
  void ClearTIF() {
    page_lists_.ClearTIF();
  }
  void InsertTIF(const std::string& source, const std::string& dest, int32_t page);
  void DeleteTIF(const std::string& source, const std::string& dest, int32_t first,
                 int32_t count) const {
    DeleteTIFPages(source, dest, first, count);
  }
  const TPageLists& PageLists() const {
    return page_lists_;
  }

  // --- upload, dialogs and cursors (image_upload.h, file_dialogs.h, cursor_file.h) ---
  void AddFormVar(const std::string& name, const std::string& value) {
    upload_.AddFormVar(name, value);
  }
  // file_type is a TxGraphicsFormat code cut to 8 bits; PostReturnCode receives the status.
  bool PostImage(const TUploadTarget& target);
  // LoadFromFile of the file picked in an open dialog; false when cancelled.
  bool LoadDialog();
  // SaveToFile under the name a save dialog gives; false when cancelled.
  bool SaveDialog();
  void AddCursor(int16_t index, const std::string& file_name) {
    TCursorTable::Instance().AddFromFile(index, file_name);
  }

  // --- design mode (design_mode.cpp) ---
  // The control object's OLE object, asked once for the host's ambient UserMode. Not counted:
  // the control object owns this view and so outlives the reference.
  void SetOleObject(plat::com::IUnknown* ole_object) {
    ole_object_ = ole_object;
  }
  // DesignMode := IsDesignMode(), then the OLE object is forgotten.
  void UpdateDesignMode();
  bool IsDesignMode();

  // Scanning: the kept settings and the TicTwain behind the scanning members.
  TScanning& Scanning() {
    return scanning_;
  }
  // Every acquired image replaces the image; returns after the acquisition when WaitForAcquire.
  void Acquire() {
    scanning_.Acquire();
  }

  // The rendered client area in device pixels (what paintEvent shows).
  QImage Render();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class Surface;

  void ReplaceImage(std::unique_ptr<TicBitmap> image);
  // A new image of these pixels, with no file name.
  void TakePixels(const QImage& pixels);
  TMergeOptions MergeOptions() const;
  // load_here replaces this control's image; read_fresh reads the second image as a fresh
  // control would.
  void MergeWith(const std::function<void()>& load_here,
                 const std::function<std::unique_ptr<TicBitmap>()>& read_fresh);
  void ScrollChanged();
  void RenderSurface(QImage& frame);
  void RenderZoomed(const TicBitmap& source, QImage& frame);
  void DrawSelectionOutline(const TicBitmap& source, const QRect& surface, QImage& frame);
  void PlaceBar(QScrollBar* bar, bool needed, int x, int y, int w, int h, int page, int max);
  // Keeps the bars' positions for the next layout while KeepScrollPos is on.
  void RememberScrollPos();
  // The last step of every layout: kept positions, then the middle a zoom change kept.
  void RestoreViewPos();
  // from_surface: the event came to the paint surface, whose handlers a mouse selection takes.
  bool HandleMouse(QMouseEvent* event, QPoint control_pos, bool from_surface);
  // A designer shows the control with both bars shrunk to nothing.
  bool BarsShown() const {
    return show_scroll_bars_ && !DesignMode_;
  }
  double DevicePixelRatio() const;

  Surface* surface_;
  QScrollBar* horz_;
  QScrollBar* vert_;
  void Repainted(const std::function<void(TImageDocument&)>& change);
  void ReLaidOut(const std::function<void(TImageDocument&)>& change);

  TImageDocument document_;
  TImagePrint printing_;
  TPageLists page_lists_;
  TImageDrawing drawing_{*this};
  TImageUpload upload_;
  plat::com::IUnknown* ole_object_ = nullptr;
  bool designing_ = false;  // the component's own design state
  TicBitmap display_buffer_;
  bool relayouting_ = false;
  double zoom_ = 100;
  bool auto_zoom_ = false;
  bool show_scroll_bars_ = true;
  int32_t scroll_speed_ = 1;
  int32_t display_width_ = 0;
  int32_t display_height_ = 0;
  int32_t kept_horz_ = 0, kept_vert_ = 0;
  int32_t zoom_centre_x_ = 0, zoom_centre_y_ = 0;
  bool zoom_changed_ = false;
  std::unique_ptr<TMouseSelection> selection_;
  bool press_inside_ = false;
#define PICTAVO_VIEW_SETTING_FIELD(type, name, initial) type name##_ = initial;
  PICTAVO_VIEW_SETTINGS(PICTAVO_VIEW_SETTING_FIELD)
#undef PICTAVO_VIEW_SETTING_FIELD
  uint8_t jpeg_quality_ = 90;
  bool selection_visible_ = true;
  bool scale_to_gray_ = false;
  int16_t cursor_ = 0;  // crDefault
  int32_t read_image_number_ = 1;
  std::u16string last_file_name_;
  void TwainImageAcquired(std::unique_ptr<TicBitmap> image);
  // Last, so it goes first: a transfer still running then finds no view to call back.
  TScanning scanning_{
      TwainAppName_,
      [this] { return DesignMode_; },
      {[this](std::unique_ptr<TicBitmap> image) { TwainImageAcquired(std::move(image)); },
       [this] {
         if (OnAcquireCancel) OnAcquireCancel();
       },
       [this] {
         if (OnAcquireFinish) OnAcquireFinish();
       }}};
};

// Button code and shift-state bits of a Qt mouse event.
int16_t MouseButtonCode(Qt::MouseButton button);
int16_t ShiftStateCode(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);

}  // namespace pictavo
