#include "pdf/pdf_test_support.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/base/streams.h"

namespace pdftest {

namespace {

pictavo::TBMPImage Blank(int width, int height, plat::TPixelFormat format, int32_t ppm) {
  pictavo::TBMPImage bitmap;
  static_cast<plat::TBitmap&>(bitmap) = plat::TBitmap(width, height, format);
  bitmap.SetXPelsPerMeter(ppm);
  bitmap.SetYPelsPerMeter(ppm);
  return bitmap;
}

}  // namespace

pictavo::TBMPImage ColourBitmap(int width, int height, int32_t pels_per_metre) {
  pictavo::TBMPImage bitmap = Blank(width, height, plat::TPixelFormat::pf24bit, pels_per_metre);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = bitmap.ScanLine(y);
    for (int x = 0; x < width; ++x) {
      row[3 * x] = static_cast<uint8_t>(x * 255 / std::max(width - 1, 1));
      row[3 * x + 1] = static_cast<uint8_t>(y * 255 / std::max(height - 1, 1));
      row[3 * x + 2] = static_cast<uint8_t>((x + y) * 255 / std::max(width + height - 2, 1));
    }
  }
  return bitmap;
}

pictavo::TBMPImage GreyBitmap(int width, int height, int32_t pels_per_metre) {
  pictavo::TBMPImage bitmap = Blank(width, height, plat::TPixelFormat::pf8bit, pels_per_metre);
  plat::TColorTable greys(256);
  for (int i = 0; i < 256; ++i) {
    const auto v = static_cast<uint8_t>(i);
    greys[i] = {v, v, v, 0};
  }
  bitmap.SetColorTable(greys);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) bitmap.ScanLine(y)[x] = static_cast<uint8_t>((x + 2 * y) % 256);
  return bitmap;
}

pictavo::TBMPImage MonoBitmap(int width, int height, int32_t pels_per_metre) {
  pictavo::TBMPImage bitmap = Blank(width, height, plat::TPixelFormat::pf1bit, pels_per_metre);
  bitmap.SetColorTable({{0, 0, 0, 0}, {255, 255, 255, 0}});
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool white = ((x / 7 + y / 5) % 3 != 0) && x != y;
      if (white) bitmap.ScanLine(y)[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    }
  }
  return bitmap;
}

std::vector<uint8_t> SaveToBytes(const pictavo::TicPDF& pdf) {
  plat::TMemoryStream out;
  pdf.SaveToStream(out);
  return out.TakeBytes();
}

ToolResult Tool(const std::string& command) {
  ToolResult result;
  const std::string text = velmora_test::Capture(command + " 2>&1; echo \"~exit=$?\"");
  const size_t mark = text.rfind("~exit=");
  if (mark == std::string::npos) return result;
  result.output = text.substr(0, mark);
  result.exit_code = std::stoi(text.substr(mark + 6));
  return result;
}

::testing::AssertionResult QpdfClean(const std::string& path) {
  const ToolResult check = Tool("qpdf --check '" + path + "'");
  if (check.exit_code == 0 && check.output.find("WARNING") == std::string::npos)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "qpdf --check exit " << check.exit_code << ":\n"
                                       << check.output;
}

std::vector<std::string> PageSizes(const std::string& path) {
  std::istringstream lines(velmora_test::Capture("pdfinfo -f 1 -l 9999 '" + path + "'"));
  std::vector<std::string> sizes;
  for (std::string line; std::getline(lines, line);) {
    int page = 0;
    double w = 0, h = 0;
    if (std::sscanf(line.c_str(), "Page %d size: %lf x %lf", &page, &w, &h) == 3) {
      std::ostringstream size;
      size << w << " x " << h;
      sizes.push_back(size.str());
    }
  }
  return sizes;
}

std::vector<std::string> ImageRows(const std::string& path) {
  std::istringstream lines(velmora_test::Capture("pdfimages -list '" + path + "'"));
  std::vector<std::string> rows;
  for (std::string line; std::getline(lines, line);) {
    std::istringstream fields(line);
    std::string page, num, type, width, height, color;
    fields >> page >> num >> type >> width >> height >> color;
    if (page.empty() || !std::isdigit(static_cast<unsigned char>(page[0]))) continue;
    std::string encoding, comp, bpc, enc;  // color, comp, bpc, enc follow
    fields >> comp >> bpc >> enc;
    rows.push_back(page + " " + enc + " " + color + " " + width + "x" + height);
  }
  return rows;
}

std::vector<uint8_t> HandDocument::Build() const {
  std::string text = "%PDF-1.3" + eol;
  std::vector<size_t> offsets;
  for (size_t i = 0; i < objects.size(); ++i) {
    offsets.push_back(text.size());
    text += std::to_string(i + 1) + " 0 obj" + eol;
    for (const std::string& line : objects[i]) text += line + eol;
    text += "endobj" + eol;
  }
  const size_t xref = text.size();
  const std::string count = std::to_string(objects.size() + 1);
  text +=
      "xref" + eol + "0 " + count + eol + "0000000000 65535 f" + (eol == "\r\n" ? "" : " ") + eol;
  for (size_t offset : offsets) {
    char entry[32];
    std::snprintf(entry, sizeof entry, "%010zu 00000 n", offset);
    text += entry + std::string(eol == "\r\n" ? "" : " ") + eol;
  }
  text += "trailer" + eol + "<<" + eol + "/Size " + (size ? std::to_string(size) : count) + eol +
          "/Root 1 0 R" + eol;
  for (const std::string& line : extra_trailer_lines) text += line + eol;
  text += ">>" + eol + "startxref" + eol + std::to_string(xref) + eol + "%%EOF" + eol;
  return {text.begin(), text.end()};
}

HandDocument OurShape(int pages, const std::string& eol) {
  HandDocument doc;
  doc.eol = eol;
  std::string kids = "/Kids [";
  for (int k = 1; k <= pages; ++k) kids += std::to_string(4 * k - 1) + " 0 R ";
  doc.objects = {{"<<", "/Type /Catalog", "/Pages 2 0 R >>"},
                 {"<<", "/Type /Pages", kids + "]", "/Count " + std::to_string(pages), ">>"}};
  for (int k = 1; k <= pages; ++k) {
    const std::string side = std::to_string(100 + k);
    doc.objects.push_back({"<<", "/Type /Page", "/Parent 2 0 R ",
                           "/MediaBox [ 0 0 " + side + " " + side + "]", ">>"});
    // Unused numbers of our shape, kept so that the page numbering matches our writer's.
    doc.objects.push_back({"<< >>"});
    doc.objects.push_back({"<< >>"});
    doc.objects.push_back({"0"});
  }
  return doc;
}

}  // namespace pdftest
