#pragma once
// The abstract graphic: the common face of the bitmap and of every codec's image object.
#include <cstdint>
#include <functional>
#include <string>

#include "platform/graphics/color.h"
#include "platform/graphics/handles.h"

namespace plat {

class TStream;
class TCanvas;

// A rectangle in pixels; Right and Bottom lie just outside it, as in GDI.
struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;

  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  friend bool operator==(const TRect&, const TRect&) = default;
};

enum class TProgressStage { psStarting, psRunning, psEnding };

// Long work reports its stage, the percent done, whether the picture should be redrawn, the
// rectangle that changed and a message.
using TProgressEvent =
    std::function<void(const class TGraphic& sender, TProgressStage stage, int percent, bool redraw,
                       const TRect& rect, const std::string& message)>;

// The clipboard format of a bitmap.
constexpr uint16_t CF_BITMAP = 2;

class TGraphic {
 public:
  virtual ~TGraphic() = default;

  // Copies source into this image; for a source it does not know it asks source.AssignTo.
  virtual void Assign(const TGraphic& source);
  // Called by dest's Assign for a source dest does not know; raises EConvertError
  // "Cannot assign a <source> to a <dest>" unless overridden.
  virtual void AssignTo(TGraphic& dest) const;
  virtual void Changed() {}
  virtual bool Equals(const TGraphic& other) const;
  virtual bool GetEmpty() const = 0;
  virtual int GetWidth() const = 0;
  virtual int GetHeight() const = 0;
  virtual void SetWidth(int width) = 0;
  virtual void SetHeight(int height) = 0;
  virtual bool GetTransparent() const { return transparent_; }
  virtual void SetTransparent(bool value) { transparent_ = value; }
  // Draws the image stretched into rect; unless overridden, through a bitmap it assigns to.
  virtual void Draw(TCanvas& canvas, const TRect& rect) const;
  // The colour table (empty when the image has none); setting it is ignored unless overridden.
  virtual TColorTable GetPalette() const { return {}; }
  virtual void SetPalette(const TColorTable&) {}

  virtual void LoadFromStream(TStream& stream) = 0;
  virtual void SaveToStream(TStream& stream) const = 0;
  // Opens the file for reading and calls LoadFromStream.
  virtual void LoadFromFile(const std::string& path);
  // Writes through a temporary file, so a failed save leaves an existing file untouched.
  virtual void SaveToFile(const std::string& path) const;
  // Form persistence; the library itself never calls these.
  virtual void ReadData(TStream& stream) { LoadFromStream(stream); }
  virtual void WriteData(TStream& stream) const { SaveToStream(stream); }
  // Clipboard exchange. Raise EInvalidGraphic "Unsupported clipboard format" unless overridden.
  virtual void LoadFromClipboardFormat(uint16_t format, THandle data, THandle palette);
  virtual void SaveToClipboardFormat(uint16_t& format, THandle& data, THandle& palette) const;

  TProgressEvent OnProgress;
  // Set when the colours changed, so whoever shows the image realises its palette again.
  bool PaletteModified = false;
  void Progress(TProgressStage stage, int percent, bool redraw, const TRect& rect,
                const std::string& message) const {
    if (OnProgress) OnProgress(*this, stage, percent, redraw, rect, message);
  }

  // Name used in conversion error messages.
  virtual std::string ClassName() const { return "TGraphic"; }

 private:
  bool transparent_ = false;
};

}  // namespace plat
