// Form uploads of the control against the loopback server, whose multipart parser (Python's
// email package) tells what arrived; the uploaded files are judged by outside tools.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "activex/member_client.h"
#include "control/engine/raster/ticbitmap.h"
#include "net/loopback_server.h"
#include "support/test_files.h"
#include "transfer/transfer_support.h"

namespace {

namespace fs = std::filesystem;
using pictavo::Accessor;
using velmora_test::Shell;
using velmora_test::TCallValue;

using velmora::test::ReadAll;

std::string Hex(const std::string& text) {
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : text) hex += {digits[c >> 4], digits[c & 15]};
  return hex;
}

// One part of the last upload as the server's parser read it.
struct ReceivedPart {
  std::string name, file_name, content_type, payload_hex;
};

std::vector<ReceivedPart> ReceivedParts(const fs::path& dir) {
  std::vector<ReceivedPart> parts;
  std::istringstream lines(ReadAll(dir / "upload.txt"));
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("part ", 0) != 0) continue;
    std::vector<std::string> fields;
    std::istringstream split(line.substr(5));
    for (std::string field; std::getline(split, field, '|');) fields.push_back(field);
    if (fields.size() == 4) parts.push_back({fields[0], fields[1], fields[2], fields[3]});
  }
  return parts;
}

void WriteHex(const std::string& hex, const fs::path& path) {
  std::ofstream out(path, std::ios::binary);
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    out.put(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
}

// The page count pdfinfo reads; -1 when it reads none.
int PdfPages(const std::string& path) {
  std::istringstream info(Shell("pdfinfo " + path + " 2>&1"));
  for (std::string line; std::getline(info, line);)
    if (line.rfind("Pages:", 0) == 0) return std::stoi(line.substr(6));
  return -1;
}

// A port nothing listens on: bound once by us and released.
int ClosedPort() {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(s);
  return ntohs(address.sin_port);
}

class Upload : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = velmora_test::MakeScratchDir("velmora-upload");
    ASSERT_FALSE(dir_.empty());
    server_ = new velmora_test::LoopbackServer(dir_);
    ASSERT_GT(server_->Port(), 0) << "the loopback server did not start";
  }
  static void TearDownTestSuite() {
    delete server_;
    fs::remove_all(dir_);
  }
  void SetUp() override { fs::remove(dir_ / "upload.txt"); }

  static std::u16string Url(const std::string& path) {
    const std::string url = "http://127.0.0.1:" + std::to_string(server_->Port()) + path;
    return std::u16string(url.begin(), url.end());
  }
  bool Post(const std::u16string& url, int file_type, const std::u16string& file_name = u"pic") {
    return std::get<bool>(client_.Call("PostImage", {url, file_name, u"file", int64_t{file_type}}));
  }
  int32_t ReturnCode() {
    return static_cast<int32_t>(std::get<int64_t>(client_.Get("PostReturnCode")));
  }
  void LoadImage() { client_.Call("NewImage", {int64_t{40}, int64_t{30}}); }
  // The uploaded file part, saved where outside tools can read it.
  ReceivedPart UploadedFile(const std::string& saved_name) {
    const auto parts = ReceivedParts(dir_);
    EXPECT_FALSE(parts.empty());
    if (parts.empty()) return {};
    WriteHex(parts.back().payload_hex, dir_ / saved_name);
    return parts.back();
  }
  static std::string Path(const std::string& name) { return (dir_ / name).string(); }

  static fs::path dir_;
  static velmora_test::LoopbackServer* server_;
  velmora_test::TestImageBox box_;
  velmora_test::MemberClient client_{box_};
};
fs::path Upload::dir_;
velmora_test::LoopbackServer* Upload::server_ = nullptr;

TEST_F(Upload, FieldsGoWithTheNextUploadOnlyAndTheStatusIsKept) {
  EXPECT_EQ(ReturnCode(), 0);
  LoadImage();
  client_.Call("AddFormVar", {std::u16string(u"user"), std::u16string(u"x=y")});
  ASSERT_TRUE(Post(Url("/upload"), pictavo::gfJPG, u"photo.jpg"));
  EXPECT_EQ(ReturnCode(), 200);
  auto parts = ReceivedParts(dir_);
  ASSERT_EQ(parts.size(), 2u);
  EXPECT_EQ(parts[0].name, "user");
  EXPECT_EQ(parts[0].payload_hex, Hex("x=y"));
  EXPECT_EQ(parts[1].name, "file");
  EXPECT_EQ(parts[1].file_name, "photo.jpg");
  EXPECT_EQ(parts[1].content_type, "image/jpeg");
  UploadedFile("first.jpg");
  EXPECT_EQ(Shell("identify -format '%m %wx%h' " + Path("first.jpg")), "JPEG 40x30");

  ASSERT_TRUE(Post(Url("/upload"), pictavo::gfJPG));
  parts = ReceivedParts(dir_);
  ASSERT_EQ(parts.size(), 1u) << "the fields went with the first upload only";
  EXPECT_EQ(parts[0].name, "file");

  EXPECT_FALSE(Post(Url("/missing"), pictavo::gfJPG));
  EXPECT_EQ(ReturnCode(), 404);
}

TEST_F(Upload, FileTypeChoosesTheEncodingAndContentType) {
  struct Case {
    int file_type;
    const char* content_type;
    const char* identified;
    const char* extension;  // WBMP has no signature to tell it by
  } cases[] = {
      {99, "image/bmp", "BMP3", ".bmp"},  // an unknown type goes as BMP
      {pictavo::gfPNG, "image/png", "PNG", ".png"},
      {pictavo::gfWBMP, "image/vnd.wap.wbmp", "WBMP", ".wbmp"},
      {pictavo::gfTIF, "image/tiff", "TIFF", ".tif"},
  };
  LoadImage();
  for (const Case& c : cases) {
    ASSERT_TRUE(Post(Url("/upload"), c.file_type)) << c.file_type;
    const std::string saved = "typed" + std::to_string(c.file_type) + c.extension;
    EXPECT_EQ(UploadedFile(saved).content_type, c.content_type) << c.file_type;
    EXPECT_EQ(Shell("identify -format '%m %wx%h' " + Path(saved)),
              std::string(c.identified) + " 40x30")
        << c.file_type;
  }
}

TEST_F(Upload, PendingDocumentsAreSentInsteadOfTheImage) {
  LoadImage();
  ASSERT_TRUE(Post(Url("/upload"), pictavo::gfPDF));
  UploadedFile("image.pdf");
  EXPECT_EQ(PdfPages(Path("image.pdf")), 1);

  client_.Call("AddToPDF", {int64_t{0}});
  client_.Call("AddToPDF", {int64_t{0}});
  client_.Call("AddToTIF", {int64_t{0}});
  client_.Call("AddToTIF", {int64_t{0}});
  client_.Call("NewImage", {int64_t{7}, int64_t{5}});  // the pending pages, not this, go
  ASSERT_TRUE(Post(Url("/upload"), pictavo::gfPDF));
  EXPECT_EQ(UploadedFile("pending.pdf").content_type, "application/pdf");
  EXPECT_EQ(PdfPages(Path("pending.pdf")), 2);

  ASSERT_TRUE(Post(Url("/upload"), pictavo::gfTIF));
  UploadedFile("pending.tif");
  EXPECT_EQ(Shell("identify -format '%wx%h,' " + Path("pending.tif")), "40x30,40x30,");
}

TEST_F(Upload, NothingToSendOrNoServerIsFalse) {
  client_.Call("AddFormVar", {std::u16string(u"kept"), std::u16string(u"1")});
  EXPECT_FALSE(Post(Url("/upload"), pictavo::gfJPG));
  EXPECT_FALSE(fs::exists(dir_ / "upload.txt")) << "nothing may be sent without an image";

  LoadImage();
  ASSERT_TRUE(Post(Url("/upload"), pictavo::gfPNG));
  const auto parts = ReceivedParts(dir_);
  ASSERT_EQ(parts.size(), 2u) << "the field kept from the call without an image goes now";
  EXPECT_EQ(parts[0].name, "kept");

  const std::string refused = "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/upload";
  EXPECT_FALSE(Post(std::u16string(refused.begin(), refused.end()), pictavo::gfJPG));
  EXPECT_EQ(ReturnCode(), 200) << "no answer was read, so the last status stays";
}

}  // namespace
