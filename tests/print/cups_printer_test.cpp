#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include "control/engine/print/icprinters.h"
#include "print/print_support.h"

namespace pictavo {
namespace {

using velmora_test::Capture;
using velmora_test::PdfInfo;
using velmora_test::ScratchDir;

// The resolutions the driver offers, as lpoptions reports them ("*300dpi" is the default).
std::vector<std::pair<int, bool>> DriverResolutions(const std::string& queue) {
  std::istringstream report(Capture("lpoptions -p '" + queue + "' -l"));
  std::string line;
  std::vector<std::pair<int, bool>> found;
  while (std::getline(report, line)) {
    if (line.rfind("Resolution", 0) != 0) continue;
    std::istringstream words(line.substr(line.find(':') + 1));
    std::string word;
    while (words >> word) {
      const bool marked = word[0] == '*';
      found.emplace_back(std::stoi(word.substr(marked ? 1 : 0)), marked);
    }
  }
  return found;
}

class CupsPrinter : public testing::Test {
 protected:
  void SetUp() override {
    VELMORA_REQUIRE_QUEUES();
    printer_.SetPrinterIndex(velmora_test::PrinterIndexOf(velmora_test::kA4Queue));
    ResetPrinterMode(printer_);
  }
  void TearDown() override {
    printer_.SetOutputFileName("");
    printer_.SetCopies(1);
    printer_.SetTitle("");
    printer_.SetOrientation(plat::TPrinterOrientation::poPortrait);
  }
  plat::TPrinter& printer_ = plat::Printer();
};

TEST_F(CupsPrinter, ListsTheQueuesAsLpstatShowsThem) {
  std::set<std::string> lpstat;
  std::istringstream report(Capture("LANG=C lpstat -p"));
  std::string line;
  while (std::getline(report, line))
    if (line.rfind("printer ", 0) == 0) lpstat.insert(line.substr(8, line.find(' ', 8) - 8));
  const std::vector<std::string> ours = printer_.Printers();
  EXPECT_EQ(std::set<std::string>(ours.begin(), ours.end()), lpstat);
  EXPECT_EQ(printer_.PrinterIndex(), velmora_test::PrinterIndexOf(velmora_test::kA4Queue));
  EXPECT_THROW(printer_.SetPrinterIndex(static_cast<int>(ours.size())), plat::EPrinter);
}

TEST_F(CupsPrinter, RecordStartsAtTheDriverDefaults) {
  int driver_default = 0;
  for (auto [dpi, marked] : DriverResolutions(velmora_test::kA4Queue))
    if (marked) driver_default = dpi;
  ASSERT_GT(driver_default, 0);
  struct Case {
    const char* queue;
    int paper;
  };
  for (const Case& c : {Case{velmora_test::kA4Queue, 9}, Case{velmora_test::kLetterQueue, 1}}) {
    printer_.SetPrinterIndex(velmora_test::PrinterIndexOf(c.queue));
    ResetPrinterMode(printer_);
    const plat::TDeviceMode* record = printer_.DeviceMode();
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->dmPaperSize, c.paper) << c.queue;
    EXPECT_EQ(GetPrintQuality(printer_), driver_default) << c.queue;
    EXPECT_EQ(GetResolution(printer_), driver_default) << c.queue;
  }
}

TEST_F(CupsPrinter, ResolutionFallsBackToTheLargestAndKeepsIt) {
  int largest = 0;
  for (auto [dpi, marked] : DriverResolutions(velmora_test::kA4Queue))
    largest = std::max(largest, dpi);
  printer_.DeviceMode()->dmPrintQuality = 0;
  EXPECT_EQ(GetResolution(printer_), largest);
  EXPECT_EQ(GetPrintQuality(printer_), largest);
  // The page in dots follows the resolution.
  printer_.DeviceMode()->dmPrintQuality = 300;
  const int at300 = printer_.PageWidth();
  printer_.DeviceMode()->dmPrintQuality = 600;
  EXPECT_NEAR(printer_.PageWidth(), 2 * at300, 2);
  EXPECT_NEAR(GetHorzSize(printer_), 210, 1);
}

TEST_F(CupsPrinter, PaperCodesGiveThePagesTheirNamesSay) {
  struct Case {
    int code;
    double width_mm, height_mm;
  };
  const Case cases[] = {
      {1, 215.9, 279.4}, {5, 215.9, 355.6}, {8, 297, 420}, {9, 210, 297}, {11, 148, 210}};
  ScratchDir dir;
  for (const Case& c : cases) {
    SetPaperSize(printer_, c.code);
    SetPaperSize(printer_, 0);   // ignored
    SetPaperSize(printer_, -3);  // ignored
    EXPECT_EQ(printer_.DeviceMode()->dmPaperSize, c.code);
    const std::string pdf = dir.File("paper" + std::to_string(c.code) + ".pdf");
    printer_.SetOutputFileName(pdf);
    printer_.BeginDoc();
    printer_.Canvas().drawRect(0, 0, 100, 100);
    printer_.EndDoc();
    double w_pt = 0, h_pt = 0;
    ASSERT_EQ(std::sscanf(PdfInfo(pdf, "Page size").c_str(), "%lf x %lf", &w_pt, &h_pt), 2)
        << c.code;
    EXPECT_NEAR(w_pt * 25.4 / 72, c.width_mm, 1) << c.code;
    EXPECT_NEAR(h_pt * 25.4 / 72, c.height_mm, 1) << c.code;
  }
}

// The folder cups-pdf writes into: its "Out" setting with ${HOME} of the user printing.
std::filesystem::path CupsPdfOutput() {
  std::ifstream conf("/etc/cups/cups-pdf.conf");
  std::string line, out = "/var/spool/cups-pdf/${USER}";
  while (std::getline(conf, line))
    if (line.rfind("Out ", 0) == 0) out = line.substr(4);
  const passwd* user = getpwuid(getuid());
  for (auto [key, value] : {std::pair<std::string, std::string>{"${HOME}", user->pw_dir},
                            std::pair<std::string, std::string>{"${USER}", user->pw_name}})
    if (const size_t at = out.find(key); at != std::string::npos)
      out.replace(at, key.size(), value);
  return out;
}

TEST_F(CupsPrinter, JobComesOutAsPdfWithItsTitleAndCopies) {
  const std::string title = "Velmora print job " + std::to_string(getpid());
  printer_.SetTitle(title);
  printer_.SetCopies(2);
  printer_.BeginDoc();
  printer_.Canvas().fillRect(100, 100, 500, 500, Qt::black);
  printer_.EndDoc();

  // cups-pdf hands the title to Ghostscript as a PostScript string, whose brackets stay in it.
  const auto titled = [&](const std::filesystem::path& pdf) {
    const std::string seen = PdfInfo(pdf, "Title");
    return seen == title || seen == "(" + title + ")";
  };
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  std::string found;
  while (found.empty() && std::chrono::steady_clock::now() < deadline) {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(CupsPdfOutput(), ignored))
      if (entry.path().extension() == ".pdf" && titled(entry.path())) found = entry.path();
    if (found.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(500));
  }
  ASSERT_FALSE(found.empty()) << "no PDF titled '" << title << "' in " << CupsPdfOutput();
  EXPECT_EQ(PdfInfo(found, "Pages"), "2");
  std::filesystem::remove(found);
}

}  // namespace
}  // namespace pictavo
