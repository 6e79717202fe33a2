#pragma once
// The error-report dialog: shows the facts the global handler recorded, lets the user add an
// e-mail address and a description, and on Send submits them as one HTTP GET to the endpoint.
#include <QDialog>
#include <QString>
#include <cstdint>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace shell {

// What one report carries, in the order the query lists it.
struct ErrorReport {
  QString applicationName, email, version, routine;
  int16_t line = 0;
  QString activity, errorText, userDescription;
};

// "http://<host>/email/reportError.asp?" and the query; every value percent-encoded as UTF-8.
QString BuildReportUrl(const QString& host, const ErrorReport& report);
// The endpoint's host: $VELMORA_ERROR_REPORT_HOST, else the one the build was configured with.
QString ErrorReportHost();
// The address sent when the user leaves the e-mail field blank.
QString PlaceholderEmail();

// Sends the report without blocking the event loop. Tells the user that it arrived (message,
// on an HTTP 2xx answer only) or that there is no connection; true when it arrived.
bool SendReport(const QString& url, const QString& message);

class frmErrorReport : public QDialog {
  Q_OBJECT
 public:
  explicit frmErrorReport(QWidget* parent = nullptr);

 private:
  void subShowReport();
  void cmdSend_Click();
  void cmdCancel_Click();
  ErrorReport CollectReport() const;

  QLabel* lblHeading_;
  QLabel* lblApplication_;
  QLabel* lblTrappingString_;
  QLabel* lblRoutine_;
  QLabel* lblLineNumber_;
  QLabel* lblSystemError_;
  QLineEdit* txtEmail_;
  QPlainTextEdit* txtUserDescription_;
  QPushButton* cmdSend_;
  QPushButton* cmdCancel_;
};

}  // namespace shell
