#include "app/shell/error_report.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QThread>
#include <QUrl>
#include <QVBoxLayout>
#include <memory>

#include "app/shell/errors.h"
#include "app/shell/ui_service.h"
#include "app/shell/version_record.h"
#include "platform/net/http.h"

namespace shell {
namespace {

const char* const kSentMessage =
    "Report send. Thank you very much for your time.\r\n\r\n"
    "If you had provided us with a valid email address,\r\n"
    "one of our support staff will attend to this error report,\r\n"
    "and you might get a responce from us";
const char* const kNoConnection = "No active internet connection detected on your system!";
constexpr int kTextWidth = 440;
constexpr int kValueWidth = 320;

QString Encoded(const QString& value) {
  return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

// The transfer runs on a worker thread while this thread keeps serving its event loop.
plat::net::HttpResponse PerformWhileResponsive(const plat::net::HttpRequest& request) {
  plat::net::HttpResponse response;
  std::unique_ptr<QThread> worker(QThread::create([&] { response = plat::net::Perform(request); }));
  QEventLoop loop;
  QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
  worker->start();
  loop.exec();
  worker->wait();
  return response;
}

QLabel* AddCaptionedValue(QGridLayout* grid, const char* name, const char* caption,
                          const char* valueName) {
  const int row = grid->rowCount();
  auto* label = new QLabel(QString::fromUtf8(caption));
  label->setObjectName(QString::fromUtf8(name));
  auto* value = new QLabel;
  value->setObjectName(QString::fromUtf8(valueName));
  value->setWordWrap(true);
  value->setFixedWidth(kValueWidth);
  grid->addWidget(label, row, 0, Qt::AlignTop);
  grid->addWidget(value, row, 1);
  return value;
}

QLabel* AddText(QVBoxLayout* column, const char* name, const char* text) {
  auto* label = new QLabel(QString::fromUtf8(text));
  label->setObjectName(QString::fromUtf8(name));
  label->setWordWrap(true);
  label->setFixedWidth(kTextWidth);
  column->addWidget(label);
  return label;
}

}  // namespace

QString BuildReportUrl(const QString& host, const ErrorReport& report) {
  const std::pair<const char*, QString> fields[] = {
      {"ApplicationName=", report.applicationName},
      {"&EmailFrom=", report.email},
      {"&ApplicationVersion=", report.version},
      {"&RoutineName=", report.routine},
      {"&ErrorLineNumber=", QString::number(report.line)},
      {"&StringMessage=", report.activity},
      {"&Error=", report.errorText},
      {"&UserDescription=", report.userDescription},
  };
  QString url = QStringLiteral("http://") + host + QStringLiteral("/email/reportError.asp?");
  for (const auto& [key, value] : fields) url += QLatin1String(key) + Encoded(value);
  return url;
}

QString ErrorReportHost() {
  const QByteArray configured = qgetenv("VELMORA_ERROR_REPORT_HOST");
  return configured.isEmpty() ? QString::fromUtf8(version::kErrorReportHost)
                              : QString::fromUtf8(configured);
}

QString PlaceholderEmail() {
  return QStringLiteral("anonymous@velmora.invalid");
}

bool SendReport(const QString& url, const QString& message) {
  plat::net::HttpRequest request;
  request.url = url.toStdString();
  const plat::net::HttpResponse response = PerformWhileResponsive(request);
  if (response.unreachable) {
    Ui().Message(QString::fromUtf8(kNoConnection), gstrApplicationName, MessageIcon::Error);
    return false;
  }
  const bool arrived = response.answered && response.status >= 200 && response.status < 300;
  if (arrived) Ui().Message(message, gstrApplicationName, MessageIcon::Information);
  return arrived;
}

frmErrorReport::frmErrorReport(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmErrorReport"));
  setWindowTitle(QStringLiteral(" Send Error Report"));
  setModal(true);
  auto* column = new QVBoxLayout(this);
  lblHeading_ = AddText(column, "lblHeading", "");
  QFont headingFont = lblHeading_->font();
  headingFont.setBold(true);
  lblHeading_->setFont(headingFont);
  AddText(column, "Label4",
          "We are sorry for the incovenience. We have created an error report that you can send "
          "to us. We will treat this report as confidential and anonymous. To help us diagnose "
          "the cause of this error and improve this software, please describe what you were "
          "doing when this error occurred, and send this report to us.");
  auto* grid = new QGridLayout;
  lblApplication_ = AddCaptionedValue(grid, "Label5", "Application:", "lblApplication");
  lblTrappingString_ = AddCaptionedValue(grid, "Label6", "Trapping String:", "lblTrappingString");
  lblRoutine_ = AddCaptionedValue(grid, "Label8", "Routine:", "lblRoutine");
  lblLineNumber_ = AddCaptionedValue(grid, "Label11", "Line:", "lblLineNumber");
  lblSystemError_ = AddCaptionedValue(grid, "Label13", "System error:", "lblSystemError");
  grid->setColumnStretch(1, 1);
  column->addLayout(grid);
  AddText(column, "Label2", "Your Email address [Optional, but if you want feedback, input one]");
  txtEmail_ = new QLineEdit;
  txtEmail_->setObjectName(QStringLiteral("txtEmail"));
  column->addWidget(txtEmail_);
  AddText(column, "Label1",
          "Describe the steps leading to this error as well as your system configuration. (eg. "
          "Win XP)  - [Optional]");
  txtUserDescription_ = new QPlainTextEdit;
  txtUserDescription_->setObjectName(QStringLiteral("txtUserDescription"));
  txtUserDescription_->setFixedHeight(60);
  column->addWidget(txtUserDescription_);
  AddText(column, "Label3",
          "Sending this report to us will help resolve this bug/issue in upcoming release. It "
          "should take a few seconds to submit this error report online.");
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  cmdSend_ = new QPushButton(QStringLiteral("&Send"));
  cmdSend_->setObjectName(QStringLiteral("cmdSend"));
  cmdCancel_ = new QPushButton(QStringLiteral("&Cancel"));
  cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
  buttons->addWidget(cmdSend_);
  buttons->addWidget(cmdCancel_);
  column->addLayout(buttons);
  // Wrapped labels of a fixed width take the height their text needs.
  column->setSizeConstraint(QLayout::SetFixedSize);
  connect(cmdSend_, &QPushButton::clicked, this, &frmErrorReport::cmdSend_Click);
  connect(cmdCancel_, &QPushButton::clicked, this, &frmErrorReport::cmdCancel_Click);
  subShowReport();
}

void frmErrorReport::subShowReport() {
  lblHeading_->setText(QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName() +
                       QStringLiteral(" has encountered a problem"));
  lblApplication_->setText(gstrApplicationName + QLatin1Char(' ') + gstrErrorVersion);
  lblLineNumber_->setText(QString::number(gintErrorLine));
  lblRoutine_->setText(gstrErrorRoutine);
  lblSystemError_->setText(gstrErrorText);
  lblTrappingString_->setText(gstrErrorActivity);
}

ErrorReport frmErrorReport::CollectReport() const {
  const QString email = txtEmail_->text().trimmed();
  return ErrorReport{gstrApplicationName, email.isEmpty() ? PlaceholderEmail() : email,
                     gstrErrorVersion,    gstrErrorRoutine,
                     gintErrorLine,       gstrErrorActivity,
                     gstrErrorText,       txtUserDescription_->toPlainText()};
}

void frmErrorReport::cmdSend_Click() {
  const QString url = BuildReportUrl(ErrorReportHost(), CollectReport());
  hide();
  SendReport(url, QString::fromUtf8(kSentMessage));
  accept();
}

void frmErrorReport::cmdCancel_Click() {
  reject();
}

}  // namespace shell
