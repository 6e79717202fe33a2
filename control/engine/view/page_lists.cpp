#include "control/engine/view/page_lists.h"

#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string_view>

#include "control/engine/raster/glue/glue.h"
#include "platform/base/streams.h"
#include "platform/base/text.h"

namespace pictavo {

namespace {

std::string WithExtension(const std::string& file_name,
                          std::initializer_list<std::string_view> accepted) {
  const std::string name(plat::TrimControls(file_name));
  const std::string ext = std::filesystem::path(name).extension().string();
  for (std::string_view allowed : accepted)
    if (plat::SameTextIgnoringCase(ext, allowed)) return name;
  return name + std::string(*accepted.begin());
}

TSourceAndDest WithDestDefault(std::string source, const std::string& dest,
                               std::string (*rule)(const std::string&)) {
  std::string to = plat::TrimControls(dest).empty() ? source : rule(dest);
  return {std::move(source), std::move(to)};
}

}  // namespace

std::string PDFFileName(const std::string& file_name) {
  return WithExtension(file_name, {".pdf"});
}

std::string TIFFileName(const std::string& file_name) {
  return WithExtension(file_name, {".tif", ".tiff"});
}

TSourceAndDest PDFFileNames(const std::string& source, const std::string& dest) {
  return WithDestDefault(PDFFileName(source), dest, PDFFileName);
}

TSourceAndDest TIFFileNames(const std::string& source, const std::string& dest) {
  return WithDestDefault(TIFFileName(source), dest, TIFFileName);
}

void TPageLists::AddToPDF(const TicBitmap& image, int32_t page, uint8_t quality) {
  glue::AddPdfPage(pdf_, image, page, quality);
}

void TPageLists::WritePDF(const std::string& file_name) const {
  if (pdf_.PageCount() == 0) return;
  pdf_.SaveToFile(PDFFileName(file_name));
}

void TPageLists::AddToTIF(TicBitmap& image, int32_t page) {
  auto tif = std::make_unique<TTIFImage>();
  glue::FillTiffPage(image, *tif, true);
  tif_.InsertPage(std::move(tif), page);
}

void TPageLists::WriteTIF(const std::string& file_name) const {
  if (tif_.Count() == 0) return;
  SaveTIFListToFile(tif_, TIFFileName(file_name));
}

void DeleteTIFPages(const std::string& source, const std::string& dest, int32_t first,
                    int32_t count) {
  const auto [from, to] = TIFFileNames(source, dest);
  // A missing file has no pages to count, and counting it would raise.
  if (!plat::FileExists(from) || first < 1 || count < 1) return;
  const int32_t pages = CountTIFPages(from, {}, {});
  const int64_t last_asked = int64_t{first} + count - 1;
  if (pages < first || (first == 1 && last_asked >= pages)) return;
  const int32_t last = static_cast<int32_t>(std::min<int64_t>(last_asked, pages));
  TTIFList kept;
  for (int32_t n = 1; n < first; ++n) kept.AddPageFromFile(from, n);
  for (int32_t n = last + 1; n <= pages; ++n) kept.AddPageFromFile(from, n);
  SaveTIFListToFile(kept, to);
}

}  // namespace pictavo
