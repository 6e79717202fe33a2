#include "control/formats/gif/gif_extensions.h"

#include <cstring>

#include "control/formats/gif/gif_frame.h"

namespace pictavo {

namespace {

constexpr uint8_t kIntroducer = '!';

template <class Kind>
std::unique_ptr<TGIFExtension> Make(TGIFSubImage* frame) {
  return std::make_unique<Kind>(frame);
}

struct LabelRecord {
  uint8_t label;
  TGIFExtensionFactory factory;
};

// Searched from the last record to the first.
const LabelRecord kExtensionRegistry[] = {
    {TGIFTextExtension::kLabel, Make<TGIFTextExtension>},
    {TGIFGraphicControlExtension::kLabel, Make<TGIFGraphicControlExtension>},
    {TGIFCommentExtension::kLabel, Make<TGIFCommentExtension>},
    {TGIFApplicationExtension::kLabel, nullptr},  // resolved by the application identifier
};

struct AppRecord {
  const char* identifier;
  TGIFExtensionFactory factory;
};

const AppRecord kAppRegistry[] = {
    {"NETSCAPE2.0", Make<TGIFAppExtNSLoop>},
    {"ANIMEXTS1.0", Make<TGIFAppExtNSLoop>},
};

// The class of an application block from its block size and identifier. A block too short to
// hold an identifier is read by the generic class, which reports what is wrong with it.
TGIFExtensionFactory ResolveApplicationClass(plat::TStream& stream) {
  int size = ReadOneByte(stream);
  if (size < 0) return nullptr;
  uint8_t identifier[11];
  if (size >= 11 && stream.Read(identifier, 11) == 11) {
    for (int i = static_cast<int>(std::size(kAppRegistry)) - 1; i >= 0; --i)
      if (std::memcmp(kAppRegistry[i].identifier, identifier, 11) == 0)
        return kAppRegistry[i].factory;
  }
  return Make<TGIFUnknownAppExtension>;
}

void WriteLittleEndian(plat::TStream& stream, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) WriteOneByte(stream, static_cast<uint8_t>(value >> (8 * i)));
}

uint32_t ReadLittleEndian(plat::TStream& stream, int bytes) {
  uint8_t buffer[4] = {};
  ReadExact(stream, buffer, bytes);
  uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | buffer[i];
  return value;
}

void Skip(plat::TStream& stream, int64_t count) {
  stream.Seek(std::min(count, stream.Remaining()), plat::SeekOrigin::Current);
}

}  // namespace

TGIFExtensionFactory FindExtensionClass(plat::TStream& stream) {
  int64_t start = stream.Position();
  TGIFExtensionFactory found = nullptr;
  int label = ReadOneByte(stream);
  for (int i = static_cast<int>(std::size(kExtensionRegistry)) - 1; label >= 0 && i >= 0; --i) {
    if (kExtensionRegistry[i].label != label) continue;
    found = kExtensionRegistry[i].factory;
    if (label == TGIFApplicationExtension::kLabel) found = ResolveApplicationClass(stream);
    break;
  }
  stream.SetPosition(start);
  return found;
}

void TGIFExtensionList::ReadItems(plat::TStream& stream, TGIFSubImage* frame) {
  int byte = ReadOneByte(stream);
  if (byte < 0) return;
  while (byte != ',' && byte != ';') {
    if (byte != kIntroducer) {
      frame->ReportWarning(kGIFWarning, "Invalid extension introducer");
      break;
    }
    TGIFExtensionFactory factory = FindExtensionClass(stream);
    if (!factory) {
      // A label we do not know: its data sub-blocks are skipped, the rest of the file stays.
      frame->ReportWarning(kGIFWarning, "Unknown extension type");
      ReadOneByte(stream);
      SkipSubBlocks(stream);
    } else {
      stream.Seek(-1, plat::SeekOrigin::Current);
      std::unique_ptr<TGIFExtension> extension = factory(frame);
      extension->LoadFromStream(stream);
      Append(std::move(extension));
    }
    byte = ReadOneByte(stream);
    if (byte < 0) return;
  }
  stream.Seek(-1, plat::SeekOrigin::Current);
}

// ---- base ----

TGIFExtension::TGIFExtension(TGIFSubImage* frame)
    : TGIFItem(frame ? frame->OwnerImage() : nullptr), owner_frame_(frame) {}

void TGIFExtension::SaveToStream(plat::TStream& stream) {
  WriteOneByte(stream, kIntroducer);
  WriteOneByte(stream, ExtensionLabel());
  WriteBody(stream);
}

void TGIFExtension::LoadFromStream(plat::TStream& stream) {
  uint8_t header[2];
  ReadExact(stream, header, 2);
  if (header[0] != kIntroducer) RaiseGIFError("Invalid extension introducer");
  if (header[1] != ExtensionLabel())
    RaiseGIFError("Internal error: Extension Instance does not match Extension Label");
  ReadBody(stream);
}

// ---- graphic control ----

TGIFGraphicControlExtension::TGIFGraphicControlExtension(TGIFSubImage* frame)
    : TGIFLabelledExtension(frame) {
  if (frame && !frame->ControlExtension()) frame->SetControlExtension(this);
}

TGIFGraphicControlExtension::~TGIFGraphicControlExtension() {
  TGIFSubImage* frame = OwnerFrame();
  if (!frame) return;
  if (TransparencyFlag()) frame->SetIsTransparent(false);
  if (frame->ControlExtension() == this) frame->SetControlExtension(nullptr);
}

void TGIFGraphicControlExtension::WriteBody(plat::TStream& stream) {
  uint8_t body[6] = {
      BlockSize, PackedFields, uint8_t(DelayTime), uint8_t(DelayTime >> 8), TransparentColorIndex,
      Terminator};
  stream.WriteBuffer(body, 6);
}

void TGIFGraphicControlExtension::ReadBody(plat::TStream& stream) {
  uint8_t body[6] = {
      BlockSize, PackedFields, uint8_t(DelayTime), uint8_t(DelayTime >> 8), TransparentColorIndex,
      Terminator};
  int64_t got = stream.Read(body, 6);
  BlockSize = body[0];
  PackedFields = body[1];
  DelayTime = uint16_t(body[2] | body[3] << 8);
  TransparentColorIndex = body[4];
  Terminator = body[5];
  if (got < 6) {
    ReportWarning(kGIFWarning, "Premature end of data");
    return;
  }
  if (TransparencyFlag() && OwnerFrame()) OwnerFrame()->SetIsTransparent(true);
}

void TGIFGraphicControlExtension::SetTransparencyFlag(bool flag) {
  if (OwnerFrame()) OwnerFrame()->SetIsTransparent(flag);
  PackedFields = flag ? (PackedFields | 1) : (PackedFields & ~1);
}

void TGIFGraphicControlExtension::SetTransparentIndex(int index) {
  TGIFColorMap& map = OwnerFrame()->ActiveColorMap();
  if (map.EntryCount() > 0 && index >= map.EntryCount()) {
    ReportWarning(kGIFWarning, "Invalid color index");
    index = 0;
  }
  TransparentColorIndex = static_cast<uint8_t>(index);
}

plat::TColor TGIFGraphicControlExtension::GetTransparentRGB() {
  return OwnerFrame()->ActiveColorMap().ColorAt(TransparentColorIndex);
}

void TGIFGraphicControlExtension::SetTransparentRGB(plat::TColor color) {
  TransparentColorIndex =
      static_cast<uint8_t>(OwnerFrame()->ActiveColorMap().FindOrAppendColor(color));
}

void TGIFGraphicControlExtension::SetDisposalMethod(int value) {
  PackedFields = static_cast<uint8_t>((PackedFields & ~0x1C) | ((value & 7) << 2));
}

// ---- plain text and comment ----

void TGIFTextExtension::WriteBody(plat::TStream& stream) {
  WriteOneByte(stream, BlockSize);
  WriteLittleEndian(stream, TextGridLeft, 2);
  WriteLittleEndian(stream, TextGridTop, 2);
  WriteLittleEndian(stream, TextGridWidth, 2);
  WriteLittleEndian(stream, TextGridHeight, 2);
  uint8_t cells[4] = {CharacterCellWidth, CharacterCellHeight, TextForegroundColorIndex,
                      TextBackgroundColorIndex};
  stream.WriteBuffer(cells, 4);
  WriteStringsAsBlocks(stream, Text);
}

void TGIFTextExtension::ReadBody(plat::TStream& stream) {
  uint8_t header[13];
  ReadExact(stream, header, 13);
  BlockSize = header[0];
  TextGridLeft = uint16_t(header[1] | header[2] << 8);
  TextGridTop = uint16_t(header[3] | header[4] << 8);
  TextGridWidth = uint16_t(header[5] | header[6] << 8);
  TextGridHeight = uint16_t(header[7] | header[8] << 8);
  CharacterCellWidth = header[9];
  CharacterCellHeight = header[10];
  TextForegroundColorIndex = header[11];
  TextBackgroundColorIndex = header[12];
  ReadBlocksAsStrings(stream, Text);
}

void TGIFCommentExtension::WriteBody(plat::TStream& stream) {
  WriteStringsAsBlocks(stream, Text);
}

void TGIFCommentExtension::ReadBody(plat::TStream& stream) {
  ReadBlocksAsStrings(stream, Text);
}

// ---- application ----

void TGIFApplicationExtension::WriteBody(plat::TStream& stream) {
  WriteOneByte(stream, 11);
  stream.WriteBuffer(Identifier.data(), 11);
  WriteAppData(stream);
}

void TGIFApplicationExtension::ReadBody(plat::TStream& stream) {
  int size = ReadOneByte(stream);
  if (size < 0) RaiseGIFError("Premature end of data");
  if (size == 10)
    Identifier.fill(0);
  else if (size < 11)
    RaiseGIFError("Unsupported Application Extension block size");
  // A 10-byte block lends its identifier the first byte of the data that follows.
  ReadExact(stream, Identifier.data(), 11);
  if (size == 10)
    stream.Seek(-1, plat::SeekOrigin::Current);
  else
    Skip(stream, size - 11);
  ReadAppData(stream);
}

void TGIFUnknownAppExtension::WriteAppData(plat::TStream& stream) {
  for (const auto& block : Blocks) {
    WriteOneByte(stream, static_cast<uint8_t>(block.size()));
    stream.WriteBuffer(block.data(), static_cast<int64_t>(block.size()));
  }
  WriteOneByte(stream, 0);
}

void TGIFUnknownAppExtension::ReadAppData(plat::TStream& stream) {
  Blocks.clear();
  for (int n = ReadOneByte(stream); n > 0; n = ReadOneByte(stream)) {
    std::vector<uint8_t> block(static_cast<size_t>(n), 0);
    ReadExact(stream, block.data(), n);
    Blocks.push_back(std::move(block));
  }
}

TGIFAppExtNSLoop::TGIFAppExtNSLoop(TGIFSubImage* frame) : TGIFApplicationExtension(frame) {
  std::memcpy(Identifier.data(), "NETSCAPE2.0", 11);
}

void TGIFAppExtNSLoop::WriteAppData(plat::TStream& stream) {
  WriteOneByte(stream, 3);
  WriteOneByte(stream, 1);
  WriteLittleEndian(stream, LoopCount, 2);
  if (BufferSize != 0) {
    WriteOneByte(stream, 5);
    WriteOneByte(stream, 2);
    WriteLittleEndian(stream, BufferSize, 4);
  }
  WriteOneByte(stream, 0);
}

void TGIFAppExtNSLoop::ReadAppData(plat::TStream& stream) {
  // A missing byte ends the data like a zero length.
  for (int n = ReadOneByte(stream); n > 0; n = ReadOneByte(stream)) {
    int id = ReadOneByte(stream);
    if (id < 0) return;
    if ((id & 7) == 1) {
      if (n < 3) RaiseGIFError("Invalid GIF data");
      LoopCount = static_cast<uint16_t>(ReadLittleEndian(stream, 2));
      Skip(stream, n - 3);
    } else if ((id & 7) == 2) {
      if (n < 5) RaiseGIFError("Invalid GIF data");
      BufferSize = ReadLittleEndian(stream, 4);
      Skip(stream, n - 5);
    } else {
      Skip(stream, n - 1);
    }
  }
}

}  // namespace pictavo
