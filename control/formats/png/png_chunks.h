#pragma once
// The chunks of a PNG file: one class per chunk type the codec understands, a registry that maps
// type letters to classes, and the ordered list a TPNGImage keeps.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <typeindex>
#include <vector>

#include "platform/base/exceptions.h"
#include "platform/base/streams.h"

namespace pictavo {

class TPNGImage;
class TChunkList;

VELMORA_EXCEPTION(EPNGImageException, plat::Exception);

// Raises EPNGImageException "PNG Error", two line breaks, then text.
[[noreturn]] void RaisePNGError(const std::string& text);

// CRC-32 of the PNG standard over the type letters followed by the data.
uint32_t ChunkCRC(const std::string& type, const uint8_t* data, size_t size);
// Writes v as four bytes, most significant first, as every number in a PNG file is stored.
void WriteBE32(plat::TStream& stream, uint32_t v);

class TChunk {
 public:
  explicit TChunk(TChunkList& owner);
  virtual ~TChunk() = default;
  TChunk(const TChunk&) = delete;
  TChunk& operator=(const TChunk&) = delete;

  // Runs once the whole file is read, in list order.
  virtual void ProcessLoaded() {}
  virtual void CopyFrom(const TChunk& source);
  // Writes length, type, data and CRC (after the chunk's own preparation).
  virtual void WriteChunk(plat::TStream& stream);

  TChunkList& OwnerList() const { return *owner_; }
  TPNGImage& Image() const;

  // Bit 5 of the first letter clear: a decoder must understand the chunk.
  bool IsCritical() const;
  // Bit 5 of the fourth letter set: the chunk stays valid after the image data changed.
  bool IsSafeToCopy() const;
  // Whether saving writes this chunk back. The chunks this codec understands and rebuilds are
  // always written; an unknown ancillary chunk only when it is safe to copy, since the pixels it
  // described may have been edited.
  virtual bool KeptOnWrite() const;

  std::string ChunkType;  // the four type letters in file order
  plat::TMemoryStream ChunkData;

 protected:
  uint32_t DataBE32(int offset) const;
  void SetDataBE32(int offset, uint32_t value);
  uint8_t DataByte(int offset) const;
  void SetDataByte(int offset, uint8_t value);
  void SetDataSize(int size);

 private:
  TChunkList* owner_;
};

class TChunkIHDR : public TChunk {
 public:
  explicit TChunkIHDR(TChunkList& owner);
  void WriteChunk(plat::TStream& stream) override;

  static constexpr int kDataSize = 13;

  uint32_t Width() const { return DataBE32(0); }
  uint32_t Height() const { return DataBE32(4); }
  uint8_t BitDepth() const { return DataByte(8); }
  uint8_t ColorType() const { return DataByte(9); }
  uint8_t CompressionMethod() const { return DataByte(10); }
  uint8_t FilterMethod() const { return DataByte(11); }
  uint8_t InterlaceMethod() const { return DataByte(12); }

  // Setting the width or height also resizes the image when it differs.
  void SetWidth(uint32_t value);
  void SetHeight(uint32_t value);
  void SetBitDepth(uint8_t value) { SetDataByte(8, value); }
  void SetColorType(uint8_t value) { SetDataByte(9, value); }
  void SetCompressionMethod(uint8_t value) { SetDataByte(10, value); }
  void SetFilterMethod(uint8_t value) { SetDataByte(11, value); }
  void SetInterlaceMethod(uint8_t value) { SetDataByte(12, value); }
};

class TChunkPLTE : public TChunk {
 public:
  using TChunk::TChunk;
  // Not written at all when the image has no palette.
  void WriteChunk(plat::TStream& stream) override;
};

class TChunkIDAT : public TChunk {
 public:
  using TChunk::TChunk;
  void ProcessLoaded() override;                    // decodes the image (png_decode.cpp)
  void WriteChunk(plat::TStream& stream) override;  // encodes the image (png_encode.cpp)
};

class TChunkIEND : public TChunk {
 public:
  using TChunk::TChunk;
};

class TChunkGAMA : public TChunk {
 public:
  explicit TChunkGAMA(TChunkList& owner);
  void ProcessLoaded() override;
  void CopyFrom(const TChunk& source) override;
  bool KeptOnWrite() const override { return true; }

  // The gamma value times 100,000.
  uint32_t Gamma() const { return DataBE32(0); }
  void SetGamma(uint32_t value);

  const std::array<uint8_t, 256>& ReadingTable() const { return reading_; }
  const std::array<uint8_t, 256>& WritingTable() const { return writing_; }
  // Rebuilds both tables from the stored gamma value.
  void BuildTables();

 private:
  std::array<uint8_t, 256> reading_{};
  std::array<uint8_t, 256> writing_{};
};

class TChunkTEXT : public TChunk {
 public:
  explicit TChunkTEXT(TChunkList& owner);
};

class TChunkTIME : public TChunk {
 public:
  explicit TChunkTIME(TChunkList& owner);
  bool KeptOnWrite() const override { return true; }
};

class TChunkTRNS : public TChunk {
 public:
  using TChunk::TChunk;
  bool KeptOnWrite() const override { return true; }
  void WriteChunk(plat::TStream& stream) override;
};

// The process-wide registry of chunk classes.
class TChunkClasses {
 public:
  using Factory = std::function<std::unique_ptr<TChunk>(TChunkList&)>;
  struct Entry {
    std::string type;
    std::type_index cls;
    Factory create;
  };

  int Count() const { return static_cast<int>(entries_.size()); }
  const Entry& Item(int index) const;  // "Chunk class index out of range."
  const Entry* FindType(const std::string& type) const;
  const Entry* FindClass(std::type_index cls) const;

  template <class T>
  void Register(const std::string& type) {
    entries_.push_back(
        {type, typeid(T), [](TChunkList& list) { return std::make_unique<T>(list); }});
  }

 private:
  std::vector<Entry> entries_;
};

// Filled on first use with IEND, IHDR, gAMA, IDAT, PLTE, tEXt, tIME, tRNS.
const TChunkClasses& RegisteredChunkClasses();

class TChunkList {
 public:
  explicit TChunkList(TPNGImage& image) : image_(&image) {}
  ~TChunkList() { Clear(); }
  TChunkList(const TChunkList&) = delete;
  TChunkList& operator=(const TChunkList&) = delete;

  int Count() const { return static_cast<int>(chunks_.size()); }
  TChunk& Item(int index) const;  // "Chunk index out range."
  void Move(int from, int to);
  int IndexOf(const TChunk& chunk) const;
  // Index of the first chunk of exactly this class; -1 when none.
  int IndexOfClass(std::type_index cls) const;
  template <class T>
  T* Find() const {
    int i = IndexOfClass(typeid(T));
    return i < 0 ? nullptr : static_cast<T*>(chunks_[i].get());
  }

  // Creates a chunk of the class (type letters from the registry) and appends it.
  TChunk& Add(std::type_index cls);
  template <class T>
  T& Add() {
    return static_cast<T&>(Add(typeid(T)));
  }
  TChunk& Add(std::unique_ptr<TChunk> chunk);
  void Remove(TChunk& chunk);  // "The chunk is not in the chunk list."
  void Clear();

  // Reads one chunk; IDAT data join the list's first IDAT, which is returned.
  TChunk& ReadChunk(plat::TStream& stream);

  TPNGImage& Image() const { return *image_; }

 private:
  TPNGImage* image_;
  std::vector<std::unique_ptr<TChunk>> chunks_;
};

}  // namespace pictavo
