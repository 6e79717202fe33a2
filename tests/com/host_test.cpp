// The host widget: creation by ProgID, embedding, events as signals, calls by dispatch id.
#include <QApplication>
#include <QLabel>
#include <QPointer>

#include <gtest/gtest.h>

#include "platform/com/control_host.h"
#include "tests/com/com_test_support.h"

using namespace velmora_test;

namespace {

QApplication& App() {
  static int argc = 1;
  static char name[] = "host_test";
  static char* argv[] = {name, nullptr};
  static QApplication app(argc, argv);
  return app;
}

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    UseScratchConfig();
    ASSERT_EQ(CallServerEntry("DllRegisterServer"), S_OK);
  }
};

TEST_F(HostTest, EmbedsTheControlsWidgetAndRelaysEvents) {
  ControlHost host;
  host.SetControl("VelmoraTest.TestBox");
  ASSERT_NE(host.ControlWidget(), nullptr);
  EXPECT_EQ(host.ControlWidget()->parent(), &host);
  EXPECT_NE(qobject_cast<QLabel*>(host.ControlWidget()), nullptr);
  EXPECT_TRUE(host.EventsConnected());

  std::vector<std::pair<int, QVariantList>> events;
  QObject::connect(&host, &ControlHost::Event,
                   [&](int id, const QVariantList& args) { events.emplace_back(id, args); });
  host.dynamicCall(13, {7, 9}, DISPATCH_METHOD);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].first, kOnPoint);
  EXPECT_EQ(events[0].second, (QVariantList{7, 9}));

  EXPECT_EQ(host.dynamicCall(1, {QString("q"), 3, false}).toString(), "q|3|false");
  host.dynamicCall(2, {QString("set")}, DISPATCH_PROPERTYPUT);
  EXPECT_EQ(host.dynamicCall(2).toString(), "set");
  EXPECT_EQ(host.dynamicCall(10, {QByteArray("\x01\x02\x03", 3)}).toInt(), 6);
  EXPECT_THROW(host.dynamicCall(6, {QString("no")}), EOleException);

  TestBoxProxy proxy(host.Dispatch());
  EXPECT_EQ(proxy.get_Caption().Utf8(), "set");
}

TEST_F(HostTest, UnknownControlLeavesTheHostEmpty) {
  ControlHost host;
  EXPECT_THROW(host.SetControl("No.Such.Control"), EOleException);
  EXPECT_EQ(host.ControlWidget(), nullptr);
  EXPECT_FALSE(host.Dispatch());
}

TEST_F(HostTest, ReplacingTheControlReleasesTheFirst) {
  ControlHost host;
  host.SetControl("VelmoraTest.TestBox");
  QPointer<QWidget> first = host.ControlWidget();
  host.SetControl("VelmoraTest.TestBox");
  EXPECT_TRUE(first.isNull());  // deleted with its control
  EXPECT_NE(host.ControlWidget(), nullptr);
}

}  // namespace
