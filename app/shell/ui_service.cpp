#include "app/shell/ui_service.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>

namespace shell {
namespace {

QMessageBox::Icon ToBoxIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::Exclamation:
      return QMessageBox::Warning;
    case MessageIcon::Error:
      return QMessageBox::Critical;
    case MessageIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

class DesktopUi final : public UiService {
 public:
  void Message(const QString& text, const QString& caption, MessageIcon icon) override {
    QMessageBox box(ToBoxIcon(icon), caption, text, QMessageBox::Ok);
    box.exec();
  }
  bool Ask(const QString& text, const QString& caption, MessageIcon icon) override {
    QMessageBox box(ToBoxIcon(icon), caption, text, QMessageBox::Ok | QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
  }
  Answer AskYesNoCancel(const QString& text, const QString& caption, MessageIcon icon) override {
    QMessageBox box(ToBoxIcon(icon), caption, text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    switch (box.exec()) {
      case QMessageBox::Yes:
        return Answer::Yes;
      case QMessageBox::No:
        return Answer::No;
      default:
        return Answer::Cancel;
    }
  }
  void OpenWithShell(const QString& target) override {
    const QUrl url =
        target.contains(QLatin1String("://")) ? QUrl(target) : QUrl::fromLocalFile(target);
    QDesktopServices::openUrl(url);
  }
};

UiService* g_replacement = nullptr;

}  // namespace

UiService& Ui() {
  static DesktopUi desktop;
  return g_replacement ? *g_replacement : desktop;
}

void SetUiService(UiService* service) {
  g_replacement = service;
}

}  // namespace shell
