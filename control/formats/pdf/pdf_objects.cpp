#include "control/formats/pdf/pdf_objects.h"

#include <cstdio>

#include "control/formats/pdf/pdf_document.h"

namespace pictavo {

namespace {

constexpr uint8_t kCR = 13;
// CR LF after "stream": a lone CR there is not a valid stream start, and a Group 4 stream that
// begins with 0x0A would lose that byte in readers.
constexpr std::string_view kStreamStart = "stream\r\n";

std::string Num(int64_t value) {
  return std::to_string(value);
}

void WritePage(TPdfText& out, const TPDFImage& page, const TPageNumbers& n) {
  out.Line(Num(n.first) + " 0 obj");
  out.Line("<<");
  out.Line("/Type /Page");
  out.Line("/Parent " + Num(n.parent) + " 0 R ");
  out.Line("/MediaBox [ 0 0 " + Num(page.Width) + " " + Num(page.Height) + "]");
  out.Line("/Resources ");
  out.Line("<<");
  out.Line("/XObject <<");
  out.Line(n.image_name + " " + Num(n.first + 1) + " 0 R ");
  out.Line(">>");
  out.Line("/ProcSet [ /PDF /ImageC ]");
  out.Line(">>");
  out.Line("/Contents " + Num(n.first + 2) + " 0 R");
  out.Line(">>");
  out.Line("endobj");
}

void WriteImage(TPdfText& out, const TPDFImage& page, int64_t number) {
  out.Line(Num(number) + " 0 obj");
  out.Line("<<");
  out.Line("/Type /XObject");
  out.Line("/Subtype /Image");
  if (page.Kind == pkGroup4) {
    out.Line("/Filter /CCITTFaxDecode");
    out.Line("/DecodeParms ");
    out.Line("<<");
    out.Line("/K -1 /Columns " + Num(page.PixelWidth) + ">>");
  } else {
    out.Line("/Filter /DCTDecode");
  }
  out.Line("/Width " + Num(page.PixelWidth));
  out.Line("/Height " + Num(page.PixelHeight));
  if (page.Kind == pkGroup4) {
    out.Line("/BitsPerComponent 1");
    out.Line("/ColorSpace /DeviceGray");
  } else {
    out.Line("/BitsPerComponent 8");
    out.Line(page.Kind == pkJPEGGray ? "/ColorSpace /DeviceGray" : "/ColorSpace /DeviceRGB");
  }
  // The CR after the data ends the line before "endstream"; it is not part of the data.
  out.Line("/Length " + Num(static_cast<int64_t>(page.Data.size())) + " >>");
  out.Raw(kStreamStart);
  out.Raw(page.Data);
  out.Line("");
  out.Line("endstream");
  out.Line("endobj");
}

std::string ContentOf(const TPDFImage& page, const std::string& image_name) {
  TPdfText content(0);
  content.Line("q");
  content.Line("q");
  content.Line(Num(page.Width) + " 0 0 " + Num(page.Height) + " 0 0 cm");
  content.Line(image_name + " Do");
  content.Line("");
  content.Line("Q");
  content.Line("Q");
  return std::string(content.Bytes().begin(), content.Bytes().end());
}

}  // namespace

void TPdfText::Line(std::string_view text) {
  Raw(text);
  bytes_.push_back(kCR);
}

void TPdfText::Raw(std::span<const uint8_t> bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
}

void TPdfText::Raw(std::string_view text) {
  bytes_.insert(bytes_.end(), text.begin(), text.end());
}

std::array<int64_t, 4> WritePageObjects(TPdfText& out, const TPDFImage& page,
                                        const TPageNumbers& numbers) {
  std::array<int64_t, 4> offsets{};
  offsets[0] = out.Offset();
  WritePage(out, page, numbers);
  offsets[1] = out.Offset();
  WriteImage(out, page, numbers.first + 1);

  const std::string content = ContentOf(page, numbers.image_name);
  offsets[2] = out.Offset();
  out.Line(Num(numbers.first + 2) + " 0 obj");
  out.Line("<< /Length " + Num(numbers.first + 3) + " 0 R >>");
  out.Raw(kStreamStart);
  out.Raw(content);
  out.Line("endstream");
  out.Line("endobj");

  offsets[3] = out.Offset();
  out.Line(Num(numbers.first + 3) + " 0 obj");
  out.Line(Num(static_cast<int64_t>(content.size())));
  out.Line("endobj");
  return offsets;
}

std::string XrefEntry(int64_t offset, int64_t generation) {
  char generation_text[8];
  std::snprintf(generation_text, sizeof generation_text, "%05lld",
                static_cast<long long>(generation));
  return TicPDF::FormatOffset(offset) + " " + generation_text + " n ";
}

}  // namespace pictavo
