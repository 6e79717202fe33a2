#pragma once
// Everything the shell asks of the person at the screen goes through one service, so tests that
// run in-process can put a recorder in its place and read back what would have been shown.
#include <QString>

namespace shell {

enum class MessageIcon { None, Information, Exclamation, Error };
enum class Answer { Yes, No, Cancel };

class UiService {
 public:
  virtual ~UiService() = default;
  // A modal message box with an OK button.
  virtual void Message(const QString& text, const QString& caption, MessageIcon icon) = 0;
  // A modal message box with OK and Cancel; true when OK was chosen.
  virtual bool Ask(const QString& text, const QString& caption, MessageIcon icon) = 0;
  // A modal message box with Yes, No and Cancel; closing it answers Cancel.
  virtual Answer AskYesNoCancel(const QString& text, const QString& caption, MessageIcon icon) = 0;
  // The desktop's default action for a document path or a web address.
  virtual void OpenWithShell(const QString& target) = 0;
};

// The service in use: real dialogs unless a test installed its own.
UiService& Ui();
// Installs a replacement (null restores the real one); the caller keeps ownership.
void SetUiService(UiService* service);

}  // namespace shell
