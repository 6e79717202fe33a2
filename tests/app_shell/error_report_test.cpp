#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/shell/error_report.h"
#include "app/shell/errors.h"
#include "platform/com/errorinfo.h"
#include "recording_ui.h"

namespace {

using namespace shell;

// Runs act on the report dialog as soon as the handler has opened it.
void WhenReportOpens(std::function<void(QDialog*)> act) {
  QTimer::singleShot(0, [act] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog) {
      ADD_FAILURE() << "no modal report dialog";
      return;
    }
    act(dialog);
  });
}

QString LabelText(QDialog* dialog, const char* name) {
  auto* label = dialog->findChild<QLabel*>(name);
  return label ? label->text() : QStringLiteral("<missing %1>").arg(name);
}

void Click(QDialog* dialog, const char* button) {
  QTest::mouseClick(dialog->findChild<QPushButton*>(button), Qt::LeftButton);
}

class ErrorReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QCoreApplication::setApplicationName("VelmoraJPEG2000B");
    subInitErrorHandling();
  }
  RecordingUi ui_;
};

int TrappedRoutine() {
  return Trap(Routine::LoadPic, [] {
    SetActivity(Activity::ReadingSelectedImageFile);
    throw AppError(481, "Invalid picture");
    return 7;
  });
}

TEST_F(ErrorReportTest, TrappedErrorShowsItsFactsAndTheRoutineReturnsItsDefault) {
  SetActivity(Activity::AddingFilesToBasket);
  const int throwLine = __LINE__ - 7;
  std::map<std::string, QString> shown;
  WhenReportOpens([&](QDialog* dialog) {
    shown["caption"] = dialog->windowTitle();
    for (const char* name : {"lblHeading", "lblApplication", "lblTrappingString", "lblRoutine",
                             "lblLineNumber", "lblSystemError", "Label4", "Label2", "Label1"})
      shown[name] = LabelText(dialog, name);
    Click(dialog, "cmdCancel");
  });
  EXPECT_EQ(TrappedRoutine(), 0);
  EXPECT_EQ(shown["caption"], " Send Error Report");
  EXPECT_EQ(shown["lblHeading"], QCoreApplication::applicationFilePath().section('/', -1) +
                                     " has encountered a problem");
  EXPECT_EQ(shown["lblApplication"], "VelmoraJPEG2000B JPEG 2000 Edition 3.1.0");
  EXPECT_EQ(shown["lblTrappingString"], "Trying to read/view selected image file");
  EXPECT_EQ(shown["lblRoutine"], "LoadPic");
  EXPECT_EQ(shown["lblLineNumber"], QString::number(throwLine));
  EXPECT_EQ(shown["lblSystemError"], "481 - Invalid picture");
  EXPECT_TRUE(shown["Label4"].startsWith("We are sorry for the incovenience."));
  EXPECT_EQ(shown["Label2"], "Your Email address [Optional, but if you want feedback, input one]");
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(ErrorReportTest, ActivityOfAnEarlierRoutineAndAFailedControlCall) {
  Trap(Routine::FrmMain_subSetup, [] { SetActivity(Activity::SettingUpMainApplication); });
  QString routine, activity, error, line;
  WhenReportOpens([&](QDialog* dialog) {
    routine = LabelText(dialog, "lblRoutine");
    activity = LabelText(dialog, "lblTrappingString");
    error = LabelText(dialog, "lblSystemError");
    line = LabelText(dialog, "lblLineNumber");
    dialog->reject();
  });
  const int callLine = __LINE__ + 1;
  const QString result = Trap(Routine::FrmMain_fncReadFile, []() -> QString {
    throw plat::com::EOleException("File not found", plat::com::HRESULT(0x8000FFFF), "", "", 0);
  });
  EXPECT_TRUE(result.isEmpty());
  EXPECT_EQ(routine, "FrmMain.fncReadFile");
  EXPECT_EQ(activity, "Setting up Main Application");
  EXPECT_EQ(error, "-2147418113 - File not found");
  EXPECT_EQ(line, QString::number(callLine));
  EXPECT_EQ(gstrErrorText, error);
}

TEST_F(ErrorReportTest, IgnoredErrorsLetTheNextStepRun) {
  std::vector<int> ran;
  IgnoreErrors([&] {
    ran.push_back(1);
    throw AppError(5, "first step fails");
  });
  IgnoreErrors([&] { ran.push_back(2); });
  EXPECT_EQ(ran, (std::vector<int>{1, 2}));
  EXPECT_EQ(Trap(Routine::LoadPic, [] { return 42; }), 42);
}

// The loopback endpoint; it logs each report it receives into the scratch folder.
class ReportServer {
 public:
  explicit ReportServer(const QString& scratch) : scratch_(scratch) {
    process_.start("python3", {VELMORA_SOURCE_DIR "/tests/app_shell/report_server.py", scratch});
    if (process_.waitForReadyRead(60000)) port_ = process_.readLine().trimmed().toInt();
  }
  ~ReportServer() {
    process_.kill();
    process_.waitForFinished();
  }
  QString Host() const { return QStringLiteral("127.0.0.1:%1").arg(port_); }
  void AnswerWith(int status) const {
    QFile file(scratch_ + "/status");
    if (file.open(QIODevice::WriteOnly)) file.write(QByteArray::number(status));
  }
  void Forget() const {
    QFile::remove(scratch_ + "/reports.jsonl");
    QFile::remove(scratch_ + "/status");
  }
  QList<QJsonObject> Reports() const {
    QList<QJsonObject> reports;
    QFile log(scratch_ + "/reports.jsonl");
    if (!log.open(QIODevice::ReadOnly)) return reports;
    while (!log.atEnd()) reports.append(QJsonDocument::fromJson(log.readLine()).object());
    return reports;
  }

 private:
  QString scratch_;
  QProcess process_;
  int port_ = 0;
};

// A loopback port that was free a moment ago and has nobody listening on it now.
int ClosedLoopbackPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(fd);
  return ntohs(address.sin_port);
}

class ReportSending : public ErrorReportTest {
 protected:
  // Raises a trapped error, fills the dialog and presses button.
  void Report(const QString& email, const QString& description, const char* button) {
    gstrCurrentActivity = activity_;
    WhenReportOpens([=](QDialog* dialog) {
      dialog->findChild<QLineEdit*>("txtEmail")->setText(email);
      dialog->findChild<QPlainTextEdit*>("txtUserDescription")->setPlainText(description);
      Click(dialog, button);
    });
    Trap(Routine::modSaveOpenImageList_fncOpenImageBasket,
         [] { throw AppError(13, "Type mismatch & more = trouble #1"); });
  }
  static void SetUpTestSuite() {
    scratch_ = new QTemporaryDir;
    server_ = new ReportServer(scratch_->path());
  }
  static void TearDownTestSuite() {
    delete server_;
    delete scratch_;
  }
  void SetUp() override {
    ErrorReportTest::SetUp();
    server_->Forget();
    PointAt(server_->Host());
  }
  void PointAt(const QString& host) { qputenv("VELMORA_ERROR_REPORT_HOST", host.toUtf8()); }
  void TearDown() override { qunsetenv("VELMORA_ERROR_REPORT_HOST"); }

  const QString activity_ =
      "Read exif attribute - 'Artist' with Value 'Zoë & Ann\nx=1' and interpret it";
  static QTemporaryDir* scratch_;
  static ReportServer* server_;
};
QTemporaryDir* ReportSending::scratch_ = nullptr;
ReportServer* ReportSending::server_ = nullptr;

TEST_F(ReportSending, ServerReceivesEveryValueExactlyInOrder) {
  ASSERT_GT(server_->Host().size(), 10) << "the report server did not start";
  const QString description = "Opened a basket,\nthen a=b & c; 50% done #1\n  Łódź ";
  Report("  someone@example.invalid  ", description, "cmdSend");

  const QList<QJsonObject> reports = server_->Reports();
  ASSERT_EQ(reports.size(), 1);
  EXPECT_EQ(reports[0]["path"].toString(), "/email/reportError.asp");
  const QJsonArray pairs = reports[0]["pairs"].toArray();
  const std::vector<std::pair<QString, QString>> expected = {
      {"ApplicationName", "VelmoraJPEG2000B JPEG 2000 Edition"},
      {"EmailFrom", "someone@example.invalid"},
      {"ApplicationVersion", "3.1.0"},
      {"RoutineName", "modSaveOpenImageList.fncOpenImageBasket"},
      {"ErrorLineNumber", QString::number(gintErrorLine)},
      {"StringMessage", activity_},
      {"Error", "13 - Type mismatch & more = trouble #1"},
      {"UserDescription", description},
  };
  ASSERT_EQ(pairs.size(), static_cast<qsizetype>(expected.size()));
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(pairs[i][0].toString(), expected[i].first);
    EXPECT_EQ(pairs[i][1].toString(), expected[i].second) << expected[i].first.toStdString();
  }
  EXPECT_GT(gintErrorLine, 0);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::Information);
  EXPECT_EQ(ui_.messages[0].caption, gstrApplicationName);
  EXPECT_EQ(ui_.messages[0].text,
            "Report send. Thank you very much for your time.\r\n\r\n"
            "If you had provided us with a valid email address,\r\n"
            "one of our support staff will attend to this error report,\r\n"
            "and you might get a responce from us");
}

TEST_F(ReportSending, BlankEmailSendsThePlaceholderAndCancelSendsNothing) {
  Report("   ", "", "cmdCancel");
  EXPECT_TRUE(server_->Reports().isEmpty());
  EXPECT_TRUE(ui_.messages.empty());

  Report("   ", "", "cmdSend");
  const QList<QJsonObject> reports = server_->Reports();
  ASSERT_EQ(reports.size(), 1);
  EXPECT_EQ(reports[0]["pairs"][1][1].toString(), PlaceholderEmail());
  EXPECT_EQ(reports[0]["pairs"][7][1].toString(), "");
}

TEST_F(ReportSending, ServerDownShowsTheMissingConnectionBoxOnly) {
  PointAt(QStringLiteral("127.0.0.1:%1").arg(ClosedLoopbackPort()));
  Report("", "nobody listens", "cmdSend");
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "No active internet connection detected on your system!");
  EXPECT_EQ(ui_.messages[0].caption, gstrApplicationName);
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::Error);
}

TEST_F(ReportSending, AnErrorAnswerIsNoSuccess) {
  server_->AnswerWith(500);
  Report("", "server breaks", "cmdSend");
  EXPECT_EQ(server_->Reports().size(), 1);
  EXPECT_TRUE(ui_.messages.empty());
}

}  // namespace
