#include "app/output/jpeg2000_encoder.h"

#include <openjpeg.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <exception>
#include <memory>
#include <string_view>

#include "platform/base/streams.h"
#include "platform/base/workers.h"
#include "platform/graphics/pixel_access.h"

namespace velmora {

namespace {

// OpenJPEG's own default; lowered for small images, whose smaller side cannot hold them all.
constexpr int kMostResolutions = 6;

[[noreturn]] void RaiseOutOfMemory() {
  throw plat::EOutOfMemory("Out of memory");
}

struct ImageDeleter {
  void operator()(opj_image_t* image) const { opj_image_destroy(image); }
};
using ImagePtr = std::unique_ptr<opj_image_t, ImageDeleter>;

// A grey palette makes one component; every other image red, green and blue.
int ComponentsOf(const plat::TBitmap& bitmap) {
  const int bits = plat::BitsPerPixel(bitmap.PixelFormat());
  const bool indexed = bits == 1 || bits == 4 || bits == 8;
  return indexed && plat::IsGreyPalette(bitmap.Palette()) ? 1 : 3;
}

// Memory for one component's samples. The first write to fresh memory costs the kernel far more
// than the write itself (a 12-megapixel component takes tens of thousands of page faults), so
// the block asks for huge pages where the system grants them on request.
OPJ_INT32* SampleMemory(size_t samples) {
  const size_t bytes = samples * sizeof(OPJ_INT32);
  auto* memory = static_cast<OPJ_INT32*>(opj_image_data_alloc(bytes));
  if (memory == nullptr) RaiseOutOfMemory();
  const auto page = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
  const uintptr_t first = (reinterpret_cast<uintptr_t>(memory) + page - 1) / page * page;
  const uintptr_t last = (reinterpret_cast<uintptr_t>(memory) + bytes) / page * page;
  if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
  return memory;
}

// An image of the bitmap's size whose samples are still to be written.
ImagePtr EmptyImage(int width, int height, int components) {
  std::array<opj_image_cmptparm_t, 3> parameters{};
  for (opj_image_cmptparm_t& component : parameters) {
    component.dx = 1;
    component.dy = 1;
    component.w = static_cast<OPJ_UINT32>(width);
    component.h = static_cast<OPJ_UINT32>(height);
    component.prec = 8;
  }
  const OPJ_COLOR_SPACE space = components == 1 ? OPJ_CLRSPC_GRAY : OPJ_CLRSPC_SRGB;
  ImagePtr image(
      opj_image_tile_create(static_cast<OPJ_UINT32>(components), parameters.data(), space));
  if (!image) RaiseOutOfMemory();
  image->x1 = static_cast<OPJ_UINT32>(width);
  image->y1 = static_cast<OPJ_UINT32>(height);
  const size_t plane = static_cast<size_t>(width) * static_cast<size_t>(height);
  // The image frees every block it holds, also when a later one cannot be had.
  for (int c = 0; c < components; ++c) image->comps[c].data = SampleMemory(plane);
  return image;
}

// One row of every component of the image.
class RowWriter {
 public:
  RowWriter(opj_image_t& image, int y) : image_(image), start_(size_t{image.comps[0].w} * y) {}
  void Put(int x, uint8_t red, uint8_t green, uint8_t blue) {
    image_.comps[0].data[start_ + x] = red;
    image_.comps[1].data[start_ + x] = green;
    image_.comps[2].data[start_ + x] = blue;
  }
  void PutGrey(int x, uint8_t grey) { image_.comps[0].data[start_ + x] = grey; }

 private:
  opj_image_t& image_;
  size_t start_;
};

// Every index a row can hold maps to a colour: indices past a short palette are black.
std::array<plat::TRGBQuad, 256> FullPalette(const plat::TColorTable& palette) {
  std::array<plat::TRGBQuad, 256> full{};
  std::copy_n(palette.begin(), std::min<size_t>(palette.size(), full.size()), full.begin());
  return full;
}

void WriteDirect(const plat::TBitmap& bitmap, int bytes_per_pixel, opj_image_t& image) {
  for (int y = 0; y < bitmap.Height(); ++y) {
    const uint8_t* pixel = bitmap.ScanLine(y);
    RowWriter row(image, y);
    for (int x = 0; x < bitmap.Width(); ++x, pixel += bytes_per_pixel)
      row.Put(x, pixel[2], pixel[1], pixel[0]);
  }
}

void WriteIndexed(const plat::TBitmap& bitmap, int bits, opj_image_t& image) {
  const std::array<plat::TRGBQuad, 256> palette = FullPalette(bitmap.Palette());
  const bool grey = image.numcomps == 1;
  for (int y = 0; y < bitmap.Height(); ++y) {
    const uint8_t* indices = bitmap.ScanLine(y);
    RowWriter row(image, y);
    for (int x = 0; x < bitmap.Width(); ++x) {
      const plat::TRGBQuad& colour = palette[plat::IndexAt(indices, x, bits)];
      if (grey)
        row.PutGrey(x, colour.rgbRed);
      else
        row.Put(x, colour.rgbRed, colour.rgbGreen, colour.rgbBlue);
    }
  }
}

// 15 and 16 bits are rare enough to go through the bitmap's own colour lookup.
void WritePacked(const plat::TBitmap& bitmap, opj_image_t& image) {
  for (int y = 0; y < bitmap.Height(); ++y) {
    RowWriter row(image, y);
    for (int x = 0; x < bitmap.Width(); ++x) {
      const plat::TColor colour = bitmap.PixelColor(x, y);
      row.Put(x, plat::GetRValue(colour), plat::GetGValue(colour), plat::GetBValue(colour));
    }
  }
}

// The bitmap's pixels as OpenJPEG's 8-bit components.
ImagePtr ImageOf(const plat::TBitmap& bitmap) {
  ImagePtr image = EmptyImage(bitmap.Width(), bitmap.Height(), ComponentsOf(bitmap));
  const int bits = plat::BitsPerPixel(bitmap.PixelFormat());
  switch (bits) {
    case 1:
    case 4:
    case 8:
      WriteIndexed(bitmap, bits, *image);
      break;
    case 24:
    case 32:
      WriteDirect(bitmap, bits / 8, *image);
      break;
    default:
      WritePacked(bitmap, *image);
  }
  return image;
}

int ResolutionsFor(int width, int height) {
  const int smaller = std::min(width, height);
  int resolutions = kMostResolutions;
  while (resolutions > 1 && (1 << (resolutions - 1)) > smaller) --resolutions;
  return resolutions;
}

opj_cparameters_t ParametersFor(const opj_image_t& image, int32_t rate) {
  opj_cparameters_t parameters;
  opj_set_default_encoder_parameters(&parameters);
  parameters.tcp_numlayers = 1;
  parameters.cp_disto_alloc = 1;
  parameters.irreversible = rate == TJpeg2000Encoder::kLosslessRate ? 0 : 1;
  // A ratio of 0 asks OpenJPEG for every bit: lossless.
  parameters.tcp_rates[0] = parameters.irreversible ? 100.0f / static_cast<float>(rate) : 0.0f;
  parameters.tcp_mct = image.numcomps == 3 ? 1 : 0;
  parameters.numresolution = ResolutionsFor(static_cast<int>(image.x1), static_cast<int>(image.y1));
  parameters.cblockw_init = 64;
  parameters.cblockh_init = 64;
  parameters.prog_order = OPJ_LRCP;
  return parameters;
}

struct CodecDeleter {
  void operator()(opj_codec_t* codec) const { opj_destroy_codec(codec); }
};
struct StreamDeleter {
  void operator()(opj_stream_t* stream) const { opj_stream_destroy(stream); }
};
using CodecPtr = std::unique_ptr<opj_codec_t, CodecDeleter>;
using StreamPtr = std::unique_ptr<opj_stream_t, StreamDeleter>;

// What OpenJPEG and our stream said while encoding, for the one message a failure raises.
struct Report {
  std::string errors;
  std::string warnings;
  std::exception_ptr stream_failure;

  static void Append(std::string& to, const char* message) {
    std::string text(message);
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    if (text.empty()) return;
    if (!to.empty()) to += ' ';
    to += text;
  }
  static void OnError(const char* message, void* report) {
    Append(static_cast<Report*>(report)->errors, message);
  }
  static void OnWarning(const char* message, void* report) {
    Append(static_cast<Report*>(report)->warnings, message);
  }

  [[noreturn]] void Raise() const {
    if (stream_failure) std::rethrow_exception(stream_failure);
    if (!errors.empty()) throw EJpeg2000Error(errors);
    if (!warnings.empty()) throw EJpeg2000Error(warnings);
    throw EJpeg2000Error("JPEG 2000 encoding failed");
  }
  void Check(OPJ_BOOL ok) const {
    if (!ok) Raise();
  }
};

// OpenJPEG's stream callbacks over one of our streams. No exception may cross OpenJPEG's C
// frames: a failure is kept in the report and reported as OpenJPEG's failure value.
struct Sink {
  plat::TStream& out;
  Report& report;

  template <typename Result, typename Action>
  Result Guarded(Action action, Result failure) {
    try {
      return action();
    } catch (...) {
      if (!report.stream_failure) report.stream_failure = std::current_exception();
      return failure;
    }
  }
  static OPJ_SIZE_T Write(void* buffer, OPJ_SIZE_T count, void* sink) {
    Sink& self = *static_cast<Sink*>(sink);
    return self.Guarded(
        [&] {
          self.out.WriteBuffer(buffer, static_cast<int64_t>(count));
          return count;
        },
        static_cast<OPJ_SIZE_T>(-1));
  }
  static OPJ_OFF_T Skip(OPJ_OFF_T count, void* sink) {
    Sink& self = *static_cast<Sink*>(sink);
    return self.Guarded(
        [&] {
          self.out.Seek(count, plat::SeekOrigin::Current);
          return count;
        },
        OPJ_OFF_T{-1});
  }
  static OPJ_BOOL Seek(OPJ_OFF_T position, void* sink) {
    Sink& self = *static_cast<Sink*>(sink);
    return self.Guarded(
        [&] {
          self.out.Seek(position, plat::SeekOrigin::Begin);
          return OPJ_BOOL{OPJ_TRUE};
        },
        OPJ_BOOL{OPJ_FALSE});
  }
};

StreamPtr StreamInto(Sink& sink) {
  StreamPtr stream(opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_FALSE));
  if (!stream) RaiseOutOfMemory();
  opj_stream_set_user_data(stream.get(), &sink, nullptr);
  opj_stream_set_write_function(stream.get(), &Sink::Write);
  opj_stream_set_skip_function(stream.get(), &Sink::Skip);
  opj_stream_set_seek_function(stream.get(), &Sink::Seek);
  return stream;
}

CodecPtr CodecFor(int32_t format, Report& report) {
  CodecPtr codec(opj_create_compress(format == kJp2Format ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K));
  if (!codec) RaiseOutOfMemory();
  opj_set_error_handler(codec.get(), &Report::OnError, &report);
  opj_set_warning_handler(codec.get(), &Report::OnWarning, &report);
  return codec;
}

ImagePtr ImageToEncode(const plat::TBitmap& bitmap) {
  if (bitmap.Width() <= 0 || bitmap.Height() <= 0)
    throw plat::EInvalidGraphicOperation("No image to encode");
  return ImageOf(bitmap);
}

// OpenJPEG takes the image's samples over and frees them with the codec.
void EncodeImage(opj_image_t& image, int32_t format, int32_t rate, int threads,
                 plat::TStream& out) {
  Report report;
  Sink sink{out, report};
  opj_cparameters_t parameters = ParametersFor(image, rate);
  CodecPtr codec = CodecFor(format, report);
  StreamPtr stream = StreamInto(sink);
  report.Check(opj_codec_set_threads(codec.get(), threads));
  report.Check(opj_setup_encoder(codec.get(), &parameters, &image));
  report.Check(opj_start_compress(codec.get(), &image, stream.get()));
  report.Check(opj_encode(codec.get(), stream.get()));
  report.Check(opj_end_compress(codec.get(), stream.get()));
}

[[noreturn]] void RaiseUnsupported(const std::string& what) {
  throw EJpeg2000Error("Unsupported JPEG 2000 format: " + what);
}

// ASCII only: the locale Qt sets must not decide which extensions we accept.
bool SameLetters(const std::string& text, std::string_view lower) {
  return std::equal(text.begin(), text.end(), lower.begin(), lower.end(), [](char x, char y) {
    return (x >= 'A' && x <= 'Z' ? static_cast<char>(x - 'A' + 'a') : x) == y;
  });
}

}  // namespace

TJpeg2000Encoder::TJpeg2000Encoder() : threads_(plat::WorkerCount()) {}

void TJpeg2000Encoder::SetBitmap(plat::THandle& bitmap) {
  const std::shared_ptr<plat::TBitmap> image = plat::BitmapOfHandle(bitmap);
  if (!image) throw plat::EInvalidGraphic("Invalid bitmap handle");
  bitmap_ = *image;
}

void TJpeg2000Encoder::SetRate(int32_t rate) {
  rate_ = std::clamp(rate, 1, kLosslessRate);
}

int32_t TJpeg2000Encoder::FormatOfExtension(const std::string& extension) {
  if (SameLetters(extension, "jp2")) return kJp2Format;
  if (SameLetters(extension, "jpc")) return kCodestreamFormat;
  RaiseUnsupported(extension);
}

void TJpeg2000Encoder::SetThreads(int threads) {
  threads_ = std::max(1, threads);
}

void TJpeg2000Encoder::SaveFile(int32_t& format, const std::string& path) {
  if (format != kJp2Format && format != kCodestreamFormat) RaiseUnsupported(std::to_string(format));
  ImagePtr image = ImageToEncode(bitmap_);
  // OpenJPEG holds its own samples now: the picture need not stay for the length of the encode.
  bitmap_ = plat::TBitmap();
  plat::WriteFileReplacing(
      path, [&](plat::TStream& out) { EncodeImage(*image, format, rate_, threads_, out); });
}

size_t TJpeg2000Encoder::SampleBytes() const {
  return static_cast<size_t>(bitmap_.Width()) * static_cast<size_t>(bitmap_.Height()) *
         static_cast<size_t>(ComponentsOf(bitmap_));
}

void TJpeg2000Encoder::Encode(int32_t format, plat::TStream& out) const {
  EncodeImage(*ImageToEncode(bitmap_), format, rate_, threads_, out);
}

}  // namespace velmora
