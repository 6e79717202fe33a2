// The save binding against a recording encoder: the five calls in their order, nothing trapped.
#include <gtest/gtest.h>

#include "app/output/jpeg2000.h"

namespace velmora {
namespace {

struct RecordingEncoder final : IJpeg2000Encoder {
  std::vector<std::string> calls;
  std::string fail_at;  // the call that raises, if any

  void Record(const std::string& call) {
    calls.push_back(call);
    if (call.rfind(fail_at, 0) == 0 && !fail_at.empty()) throw EJpeg2000Error("failed: " + call);
  }
  void SetBitmap(plat::THandle& bitmap) override { Record("6 " + std::to_string(bitmap)); }
  void Refresh() override { Record("-550"); }
  void SetRate(int32_t rate) override { Record("62 " + std::to_string(rate)); }
  int32_t FormatOfExtension(const std::string& extension) override {
    Record("68 " + extension);
    return 7;
  }
  void SaveFile(int32_t& format, const std::string& path) override {
    Record("4 " + std::to_string(format) + " " + path);
  }
};

TEST(SaveJpeg2000, MakesTheFiveCallsInOrder) {
  struct Case {
    const char* path;
    int16_t rate;
    const char* extension;
  };
  for (const Case& c : {Case{"/out/a.b/photo.jp2", 20, "jp2"}, Case{"/out/photo.x.jpc", 25, "jpc"},
                        Case{"/out/noext", 0, "/out/noext"}}) {
    RecordingEncoder encoder;
    modJPEG2000::fncSaveJPEG2000(encoder, 42, c.path, c.rate);
    EXPECT_EQ(encoder.calls, (std::vector<std::string>{
                                 "6 42", "-550", "62 " + std::to_string(c.rate),
                                 std::string("68 ") + c.extension, std::string("4 7 ") + c.path}));
  }
}

TEST(SaveJpeg2000, AnEncoderErrorReachesTheCaller) {
  for (const char* step : {"6", "-550", "62", "68", "4"}) {
    RecordingEncoder encoder;
    encoder.fail_at = step;
    try {
      modJPEG2000::fncSaveJPEG2000(encoder, 1, "/out/p.jp2", 20);
      ADD_FAILURE() << step;
    } catch (const EJpeg2000Error& e) {
      EXPECT_EQ(e.Message(), "failed: " + encoder.calls.back());
      EXPECT_EQ(encoder.calls.back().rfind(step, 0), 0u);
    }
  }
}

}  // namespace
}  // namespace velmora
