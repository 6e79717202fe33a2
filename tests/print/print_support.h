#pragma once
// Shared by the printing tests: the print-to-PDF queues scripts/cups-pdf.sh sets up, and the
// pages an outside renderer makes of our PDF files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "graphics/referee.h"
#include "platform/print/printer.h"

namespace velmora_test {

inline constexpr const char* kA4Queue = "VelmoraPDF";
inline constexpr const char* kLetterQueue = "VelmoraPDFLetter";

inline bool QueueAvailable(const std::string& name) {
  return Run("lpstat -p '" + name + "' >/dev/null 2>&1");
}

// The place of a printer in the printer object's list; -1 when it is not there.
inline int PrinterIndexOf(const std::string& name) {
  const std::vector<std::string> printers = plat::Printer().Printers();
  const auto found = std::find(printers.begin(), printers.end(), name);
  return found == printers.end() ? -1 : static_cast<int>(found - printers.begin());
}

#define VELMORA_REQUIRE_QUEUES()                                             \
  if (!velmora_test::QueueAvailable(velmora_test::kA4Queue) ||               \
      !velmora_test::QueueAvailable(velmora_test::kLetterQueue))             \
  GTEST_SKIP() << "no cups-pdf queues VelmoraPDF and VelmoraPDFLetter: run " \
                  "'scripts/cups-pdf.sh start' first (scripts/test.sh does)"

// A page rendered by pdftoppm, 8-bit RGB, rows top-down.
struct RenderedPage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;
  uint32_t At(int x, int y) const {
    const uint8_t* p = rgb.data() + (static_cast<size_t>(y) * width + x) * 3;
    return (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
  }
};

// Renders the first page of a PDF at `dpi`, cropped to (x, y, w, h) in rendered dots.
inline RenderedPage RenderPdf(const ScratchDir& dir, const std::string& pdf, int dpi, int x, int y,
                              int w, int h) {
  const std::string out = dir.File("rendered");
  const std::string command = "pdftoppm -singlefile -r " + std::to_string(dpi) + " -x " +
                              std::to_string(x) + " -y " + std::to_string(y) + " -W " +
                              std::to_string(w) + " -H " + std::to_string(h) + " '" + pdf + "' '" +
                              out + "'";
  RenderedPage page;
  if (!Run(command)) return page;
  const std::vector<uint8_t> bytes = ReadBytes(out + ".ppm");
  int maxval = 0, consumed = 0;
  const std::string head(bytes.begin(), bytes.begin() + std::min<size_t>(bytes.size(), 64));
  if (std::sscanf(head.c_str(), "P6 %d %d %d%n", &page.width, &page.height, &maxval, &consumed) !=
          3 ||
      maxval != 255)
    return {};
  const size_t size = static_cast<size_t>(page.width) * page.height * 3;
  if (bytes.size() < consumed + 1 + size) return {};
  page.rgb.assign(bytes.begin() + consumed + 1, bytes.begin() + consumed + 1 + size);
  return page;
}

// One field of pdfinfo's report ("Title", "Pages", "Page size").
inline std::string PdfInfo(const std::string& pdf, const std::string& field) {
  const std::string report = Capture("pdfinfo '" + pdf + "' 2>/dev/null");
  const std::string key = "\n" + field + ":";
  const size_t at = ("\n" + report).find(key);
  if (at == std::string::npos) return {};
  size_t start = at + key.size() - 1;
  while (start < report.size() && report[start] == ' ') ++start;
  return report.substr(start, report.find('\n', start) - start);
}

}  // namespace velmora_test
