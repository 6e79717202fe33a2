#include "gif_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace pictavo::test {

ScratchDir::ScratchDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "gif_test_XXXXXX").string();
  char* made = mkdtemp(pattern.data());
  if (!made) throw std::runtime_error("cannot create a scratch folder");
  dir_ = made;
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const plat::Exception& e) {
    return e.what();
  }
  return {};
}

std::string RunTool(const std::string& command) {
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) {
    ADD_FAILURE() << "cannot run " << command;
    return {};
  }
  std::string out;
  char buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  int status = pclose(pipe);
  EXPECT_EQ(status, 0) << command;
  return out;
}

RgbImage DecodeWithImageMagick(const std::string& path) {
  RgbImage image;
  std::istringstream geometry(RunTool("identify -format '%w %h %X %Y\\n' '" + path + "[0]'"));
  geometry >> image.width >> image.height >> image.left >> image.top;
  std::string rgba = RunTool("convert '" + path + "[0]' -depth 8 rgba:-");
  for (size_t i = 0; i + 3 < rgba.size(); i += 4) {
    image.rgb.insert(image.rgb.end(), rgba.begin() + long(i), rgba.begin() + long(i) + 3);
    image.alpha.push_back(uint8_t(rgba[i + 3]));
  }
  return image;
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

std::vector<plat::TColor> DistinctColours(int n) {
  std::vector<plat::TColor> colours;
  for (int i = 0; i < n; ++i)
    colours.push_back(plat::RGB(uint8_t(i * 37 + 11), uint8_t(255 - i), uint8_t(i * 91 + 5)));
  return colours;
}

std::vector<uint8_t> EncodeIndexedGIF(const std::vector<uint8_t>& pixels, int width, int height,
                                      const std::vector<plat::TColor>& colours, bool interlaced,
                                      uint8_t compression) {
  TGIFImage image;
  image.CompressionMethod = compression;
  for (plat::TColor c : colours) image.GlobalColorMap().AppendColor(c);
  auto frame = std::make_unique<TGIFSubImage>(&image);
  frame->SetBounds(0, 0, width, height);
  if (!pixels.empty()) std::copy(pixels.begin(), pixels.end(), frame->MutablePixelData().begin());
  frame->SetInterlaced(interlaced);
  image.AddFrame(std::move(frame));
  plat::TMemoryStream stream;
  image.SaveToStream(stream);
  return stream.TakeBytes();
}

bool LoadedGIF::HasWarning(const std::string& text) const {
  return std::find(warnings.begin(), warnings.end(), text) != warnings.end();
}

LoadedGIF LoadGIF(const std::vector<uint8_t>& bytes) {
  LoadedGIF loaded;
  loaded.image->WarningHandler = [&warnings = loaded.warnings](const void*, int,
                                                               const std::string& message) {
    warnings.push_back(message);
  };
  plat::TReadOnlyMemoryStream stream(bytes.data(), static_cast<int64_t>(bytes.size()));
  loaded.image->LoadFromStream(stream);
  return loaded;
}

std::vector<uint8_t> RechunkImageData(const std::vector<uint8_t>& gif, int size) {
  std::vector<uint8_t> out(gif.begin(), gif.begin() + 13);
  size_t pos = 13;
  auto copy = [&](size_t n) {
    out.insert(out.end(), gif.begin() + pos, gif.begin() + pos + n);
    pos += n;
  };
  auto table_size = [](uint8_t flags) { return flags & 0x80 ? size_t(3) << ((flags & 7) + 1) : 0; };
  pos = 13;
  copy(table_size(gif[10]));
  auto sub_blocks = [&](bool rechunk) {
    std::vector<uint8_t> data;
    while (gif[pos] != 0) {
      size_t n = gif[pos];
      if (!rechunk) {
        copy(n + 1);
        continue;
      }
      data.insert(data.end(), gif.begin() + pos + 1, gif.begin() + pos + 1 + n);
      pos += n + 1;
    }
    for (size_t i = 0; i < data.size(); i += size_t(size)) {
      size_t n = std::min(data.size() - i, size_t(size));
      out.push_back(uint8_t(n));
      out.insert(out.end(), data.begin() + i, data.begin() + i + n);
    }
    copy(1);
  };
  while (pos < gif.size() && gif[pos] != ';') {
    if (gif[pos] == '!') {
      copy(2);
      sub_blocks(false);
    } else {
      uint8_t flags = gif[pos + 9];
      copy(10);
      copy(table_size(flags));
      copy(1);
      sub_blocks(true);
    }
  }
  out.push_back(';');
  return out;
}

std::vector<uint8_t> RenderedRgb(TGIFImage& image) {
  const plat::TBitmap* bitmap = image.RenderedBitmap();
  std::vector<uint8_t> rgb;
  if (!bitmap) return rgb;
  for (int y = 0; y < bitmap->Height(); ++y)
    for (int x = 0; x < bitmap->Width(); ++x) {
      plat::TColor c = bitmap->PixelColor(x, y);
      rgb.insert(rgb.end(), {plat::GetRValue(c), plat::GetGValue(c), plat::GetBValue(c)});
    }
  return rgb;
}

}  // namespace pictavo::test
