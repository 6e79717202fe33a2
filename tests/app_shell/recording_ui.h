#pragma once
// Stands in for the screen: records every message and shell request instead of showing it.
#include <QString>
#include <vector>

#include "app/shell/ui_service.h"

struct RecordedMessage {
  QString text, caption;
  shell::MessageIcon icon;
};

class RecordingUi final : public shell::UiService {
 public:
  RecordingUi() { shell::SetUiService(this); }
  ~RecordingUi() override { shell::SetUiService(nullptr); }
  void Message(const QString& text, const QString& caption, shell::MessageIcon icon) override {
    messages.push_back({text, caption, icon});
  }
  bool Ask(const QString& text, const QString& caption, shell::MessageIcon icon) override {
    messages.push_back({text, caption, icon});
    return answer;
  }
  shell::Answer AskYesNoCancel(const QString& text, const QString& caption,
                               shell::MessageIcon icon) override {
    messages.push_back({text, caption, icon});
    return threeWayAnswer;
  }
  void OpenWithShell(const QString& target) override { opened.push_back(target); }

  bool answer = true;                                    // what Ask answers: OK
  shell::Answer threeWayAnswer = shell::Answer::Cancel;  // what AskYesNoCancel answers

  std::vector<RecordedMessage> messages;
  std::vector<QString> opened;
};
