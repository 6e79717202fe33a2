#include "app/output/jpeg2000_encoder.h"

#include <openjpeg.h>

#include <algorithm>
#include <array>
#include <exception>
#include <memory>
#include <new>
#include <string_view>

#include "platform/base/streams.h"
#include "platform/base/workers.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/pixel_access.h"

namespace velmora {

namespace {

using Samples = TJpeg2000Encoder::Samples;

// OpenJPEG's own default; lowered for small images, whose smaller side cannot hold them all.
constexpr int kMostResolutions = 6;

[[noreturn]] void RaiseOutOfMemory() {
  throw plat::EOutOfMemory("Out of memory");
}

Samples EmptySamples(int width, int height, int components) {
  Samples samples{width, height, components, {}};
  try {
    samples.planes.resize(static_cast<size_t>(int64_t{width} * height * components));
  } catch (const std::bad_alloc&) {
    RaiseOutOfMemory();
  }
  return samples;
}

// Every index a row can hold maps to a colour: indices past a short palette are black.
std::array<plat::TRGBQuad, 256> FullPalette(const plat::TColorTable& palette) {
  std::array<plat::TRGBQuad, 256> full{};
  std::copy_n(palette.begin(), std::min<size_t>(palette.size(), full.size()), full.begin());
  return full;
}

// Writes one pixel's colour into the three planes.
void PutColor(Samples& samples, int64_t at, uint8_t red, uint8_t green, uint8_t blue) {
  const int64_t plane = int64_t{samples.width} * samples.height;
  samples.planes[static_cast<size_t>(at)] = red;
  samples.planes[static_cast<size_t>(plane + at)] = green;
  samples.planes[static_cast<size_t>(2 * plane + at)] = blue;
}

Samples SamplesOfDirect(const plat::TBitmap& bitmap, int bytes_per_pixel) {
  Samples samples = EmptySamples(bitmap.Width(), bitmap.Height(), 3);
  for (int y = 0; y < bitmap.Height(); ++y) {
    const uint8_t* row = bitmap.ScanLine(y);
    const int64_t start = int64_t{y} * bitmap.Width();
    for (int x = 0; x < bitmap.Width(); ++x) {
      const uint8_t* pixel = row + int64_t{x} * bytes_per_pixel;
      PutColor(samples, start + x, pixel[2], pixel[1], pixel[0]);
    }
  }
  return samples;
}

Samples SamplesOfIndexed(const plat::TBitmap& bitmap, int bits) {
  const std::array<plat::TRGBQuad, 256> palette = FullPalette(bitmap.Palette());
  const bool grey = plat::IsGreyPalette(bitmap.Palette());
  Samples samples = EmptySamples(bitmap.Width(), bitmap.Height(), grey ? 1 : 3);
  for (int y = 0; y < bitmap.Height(); ++y) {
    const uint8_t* row = bitmap.ScanLine(y);
    const int64_t start = int64_t{y} * bitmap.Width();
    for (int x = 0; x < bitmap.Width(); ++x) {
      const plat::TRGBQuad& colour = palette[plat::IndexAt(row, x, bits)];
      if (grey)
        samples.planes[static_cast<size_t>(start + x)] = colour.rgbRed;
      else
        PutColor(samples, start + x, colour.rgbRed, colour.rgbGreen, colour.rgbBlue);
    }
  }
  return samples;
}

// 15 and 16 bits are rare enough to go through the bitmap's own colour lookup.
Samples SamplesOfPacked(const plat::TBitmap& bitmap) {
  Samples samples = EmptySamples(bitmap.Width(), bitmap.Height(), 3);
  for (int y = 0; y < bitmap.Height(); ++y) {
    for (int x = 0; x < bitmap.Width(); ++x) {
      const plat::TColor colour = bitmap.PixelColor(x, y);
      PutColor(samples, int64_t{y} * bitmap.Width() + x, plat::GetRValue(colour),
               plat::GetGValue(colour), plat::GetBValue(colour));
    }
  }
  return samples;
}

Samples SamplesOfBitmap(const plat::TBitmap& bitmap) {
  const int bits = plat::BitsPerPixel(bitmap.PixelFormat());
  if (bitmap.Width() <= 0 || bitmap.Height() <= 0) return {};
  switch (bits) {
    case 1:
    case 4:
    case 8:
      return SamplesOfIndexed(bitmap, bits);
    case 24:
    case 32:
      return SamplesOfDirect(bitmap, bits / 8);
    default:
      return SamplesOfPacked(bitmap);
  }
}

int ResolutionsFor(int width, int height) {
  const int smaller = std::min(width, height);
  int resolutions = kMostResolutions;
  while (resolutions > 1 && (1 << (resolutions - 1)) > smaller) --resolutions;
  return resolutions;
}

opj_cparameters_t ParametersFor(const Samples& samples, int32_t rate) {
  opj_cparameters_t parameters;
  opj_set_default_encoder_parameters(&parameters);
  parameters.tcp_numlayers = 1;
  parameters.cp_disto_alloc = 1;
  parameters.irreversible = rate == TJpeg2000Encoder::kLosslessRate ? 0 : 1;
  // A ratio of 0 asks OpenJPEG for every bit: lossless.
  parameters.tcp_rates[0] = parameters.irreversible ? 100.0f / static_cast<float>(rate) : 0.0f;
  parameters.tcp_mct = samples.components == 3 ? 1 : 0;
  parameters.numresolution = ResolutionsFor(samples.width, samples.height);
  parameters.cblockw_init = 64;
  parameters.cblockh_init = 64;
  parameters.prog_order = OPJ_LRCP;
  return parameters;
}

struct ImageDeleter {
  void operator()(opj_image_t* image) const { opj_image_destroy(image); }
};
struct CodecDeleter {
  void operator()(opj_codec_t* codec) const { opj_destroy_codec(codec); }
};
struct StreamDeleter {
  void operator()(opj_stream_t* stream) const { opj_stream_destroy(stream); }
};
using ImagePtr = std::unique_ptr<opj_image_t, ImageDeleter>;
using CodecPtr = std::unique_ptr<opj_codec_t, CodecDeleter>;
using StreamPtr = std::unique_ptr<opj_stream_t, StreamDeleter>;

ImagePtr ImageOf(const Samples& samples) {
  std::array<opj_image_cmptparm_t, 3> components{};
  for (opj_image_cmptparm_t& component : components) {
    component.dx = 1;
    component.dy = 1;
    component.w = static_cast<OPJ_UINT32>(samples.width);
    component.h = static_cast<OPJ_UINT32>(samples.height);
    component.prec = 8;
  }
  const OPJ_COLOR_SPACE space = samples.components == 1 ? OPJ_CLRSPC_GRAY : OPJ_CLRSPC_SRGB;
  ImagePtr image(
      opj_image_create(static_cast<OPJ_UINT32>(samples.components), components.data(), space));
  if (!image) RaiseOutOfMemory();
  image->x1 = static_cast<OPJ_UINT32>(samples.width);
  image->y1 = static_cast<OPJ_UINT32>(samples.height);
  const int64_t plane = int64_t{samples.width} * samples.height;
  for (int c = 0; c < samples.components; ++c)
    std::copy_n(samples.planes.begin() + c * plane, plane, image->comps[c].data);
  return image;
}

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
  samples_ = SamplesOfBitmap(*image);
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
  plat::WriteFileReplacing(path, [&](plat::TStream& out) { Encode(format, out); });
}

void TJpeg2000Encoder::Encode(int32_t format, plat::TStream& out) const {
  if (samples_.components == 0) throw plat::EInvalidGraphicOperation("No image to encode");
  Report report;
  Sink sink{out, report};
  opj_cparameters_t parameters = ParametersFor(samples_, rate_);
  ImagePtr image = ImageOf(samples_);
  CodecPtr codec = CodecFor(format, report);
  StreamPtr stream = StreamInto(sink);
  report.Check(opj_codec_set_threads(codec.get(), threads_));
  report.Check(opj_setup_encoder(codec.get(), &parameters, image.get()));
  report.Check(opj_start_compress(codec.get(), image.get(), stream.get()));
  report.Check(opj_encode(codec.get(), stream.get()));
  report.Check(opj_end_compress(codec.get(), stream.get()));
}

}  // namespace velmora
