#pragma once
// Images, documents and referees for the PDF tests: bitmaps made here, documents written by our
// writer or by hand (any line end, any table shape), and qpdf and poppler reading them.
#include <cstdint>
#include <string>
#include <vector>

#include "control/formats/bmp/bmpimage.h"
#include "control/formats/pdf/pdf_document.h"
#include "graphics/referee.h"

namespace pdftest {

using velmora_test::ScratchDir;

// 24-bit colour with smooth gradients in every channel.
pictavo::TBMPImage ColourBitmap(int width, int height, int32_t pels_per_metre = 0);
// 8-bit with a grey palette.
pictavo::TBMPImage GreyBitmap(int width, int height, int32_t pels_per_metre = 0);
// 1-bit, index 0 black and 1 white, with a pattern of blocks and lines.
pictavo::TBMPImage MonoBitmap(int width, int height, int32_t pels_per_metre = 0);

std::vector<uint8_t> SaveToBytes(const pictavo::TicPDF& pdf);

// What a tool printed and how it exited.
struct ToolResult {
  std::string output;  // standard output and error together
  int exit_code = -1;
};
ToolResult Tool(const std::string& command);

// qpdf --check exits 0 and prints no warning.
::testing::AssertionResult QpdfClean(const std::string& path);
// The page sizes in points pdfinfo reports, "W x H" each.
std::vector<std::string> PageSizes(const std::string& path);
// One row per image of pdfimages -list: "<page> <type> <color> <width>x<height>".
std::vector<std::string> ImageRows(const std::string& path);

// A document written by hand: objects 1.. in order, each given as its lines between "n 0 obj" and
// "endobj", one xref section of all of them and a trailer of one key per line.
struct HandDocument {
  std::vector<std::vector<std::string>> objects;
  std::string eol = "\n";
  int64_t size = 0;  // /Size; 0 for the object count + 1
  std::vector<std::string> extra_trailer_lines;

  std::vector<uint8_t> Build() const;
};

// Pages 1..n of our own shape (page k is object 4k - 1 and has no image), catalog 1, tree 2.
HandDocument OurShape(int pages, const std::string& eol);

}  // namespace pdftest
