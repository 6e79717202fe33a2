#pragma once
// GIF89a extension blocks: graphic control, plain text, comment and application data.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "control/formats/gif/gif_base.h"

namespace pictavo {

class TGIFExtension : public TGIFItem {
 public:
  explicit TGIFExtension(TGIFSubImage* frame);

  TGIFSubImage* OwnerFrame() const { return owner_frame_; }
  virtual uint8_t ExtensionLabel() const = 0;
  int NeededVersion() const override { return ver89a; }
  // Introducer and label, then the block's own data.
  void SaveToStream(plat::TStream& stream) override;
  void LoadFromStream(plat::TStream& stream) override;

 protected:
  virtual void WriteBody(plat::TStream& stream) = 0;
  virtual void ReadBody(plat::TStream& stream) = 0;

 private:
  TGIFSubImage* owner_frame_;
};

// An extension kind with its label.
template <uint8_t Label>
class TGIFLabelledExtension : public TGIFExtension {
 public:
  static constexpr uint8_t kLabel = Label;
  using TGIFExtension::TGIFExtension;
  uint8_t ExtensionLabel() const override { return Label; }
};

using TGIFExtensionFactory = std::unique_ptr<TGIFExtension> (*)(TGIFSubImage* frame);

// The class for the extension block whose label is at the stream position (the introducer
// already read), or none. The stream position is unchanged afterwards.
TGIFExtensionFactory FindExtensionClass(plat::TStream& stream);

class TGIFExtensionList : public TGIFList<TGIFExtension> {
 public:
  using TGIFList::TGIFList;
  // Reads the extension blocks in front of a frame's image block.
  void ReadItems(plat::TStream& stream, TGIFSubImage* frame);
};

class TGIFGraphicControlExtension : public TGIFLabelledExtension<0xF9> {
 public:
  explicit TGIFGraphicControlExtension(TGIFSubImage* frame);
  ~TGIFGraphicControlExtension() override;

  uint8_t BlockSize = 4;
  uint8_t PackedFields = 0;
  uint16_t DelayTime = 0;
  uint8_t TransparentColorIndex = 0;
  uint8_t Terminator = 0;

  bool TransparencyFlag() const { return PackedFields & 1; }
  void SetTransparencyFlag(bool flag);
  int TransparentIndex() const { return TransparentColorIndex; }
  void SetTransparentIndex(int index);
  plat::TColor GetTransparentRGB();
  void SetTransparentRGB(plat::TColor color);
  int DelayHundredths() const { return DelayTime; }
  void SetDelayHundredths(int value) { DelayTime = static_cast<uint16_t>(value); }
  bool WaitsForInput() const { return PackedFields & 2; }
  int DisposalMethod() const { return (PackedFields >> 2) & 7; }
  void SetDisposalMethod(int value);

 protected:
  void WriteBody(plat::TStream& stream) override;
  void ReadBody(plat::TStream& stream) override;
};

class TGIFTextExtension : public TGIFLabelledExtension<0x01> {
 public:
  using TGIFLabelledExtension::TGIFLabelledExtension;

  uint8_t BlockSize = 12;
  uint16_t TextGridLeft = 0;
  uint16_t TextGridTop = 0;
  uint16_t TextGridWidth = 0;
  uint16_t TextGridHeight = 0;
  uint8_t CharacterCellWidth = 0;
  uint8_t CharacterCellHeight = 0;
  uint8_t TextForegroundColorIndex = 0;
  uint8_t TextBackgroundColorIndex = 0;
  TStringList Text;

 protected:
  void WriteBody(plat::TStream& stream) override;
  void ReadBody(plat::TStream& stream) override;
};

class TGIFCommentExtension : public TGIFLabelledExtension<0xFE> {
 public:
  using TGIFLabelledExtension::TGIFLabelledExtension;

  TStringList Text;

 protected:
  void WriteBody(plat::TStream& stream) override;
  void ReadBody(plat::TStream& stream) override;
};

class TGIFApplicationExtension : public TGIFLabelledExtension<0xFF> {
 public:
  using TGIFLabelledExtension::TGIFLabelledExtension;

  // An 8-byte application identifier and a 3-byte authentication code.
  std::array<uint8_t, 11> Identifier{};

 protected:
  void WriteBody(plat::TStream& stream) override;
  void ReadBody(plat::TStream& stream) override;
  virtual void WriteAppData(plat::TStream& stream) = 0;
  virtual void ReadAppData(plat::TStream& stream) = 0;
};

// Data of an application this library does not know, kept as read.
class TGIFUnknownAppExtension : public TGIFApplicationExtension {
 public:
  using TGIFApplicationExtension::TGIFApplicationExtension;
  std::vector<std::vector<uint8_t>> Blocks;

 protected:
  void WriteAppData(plat::TStream& stream) override;
  void ReadAppData(plat::TStream& stream) override;
};

// The loop count of an animation ("NETSCAPE2.0", also read under "ANIMEXTS1.0").
class TGIFAppExtNSLoop : public TGIFApplicationExtension {
 public:
  explicit TGIFAppExtNSLoop(TGIFSubImage* frame);
  uint16_t LoopCount = 0;
  uint32_t BufferSize = 0;

 protected:
  void WriteAppData(plat::TStream& stream) override;
  void ReadAppData(plat::TStream& stream) override;
};

}  // namespace pictavo
