#pragma once
// A player's start tests: a runtime folder of their own for the lock files, a program file with
// a package behind a stand-in player, and the message box a start shows.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <sstream>
#include <string>

#include "app/output/package/package_writer.h"
#include "app_shell/modal_helper.h"

class PlayerStart : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    qputenv("XDG_RUNTIME_DIR", dir_.path().toUtf8());
  }
  void TearDown() override { qunsetenv("XDG_RUNTIME_DIR"); }

  // The program file `name`: a stand-in player with `entry` behind it as entry `entry_name`,
  // without its last 20 bytes when `cut`.
  QString Program(const QString& name, const std::string& entry_name, const std::string& entry,
                  bool cut = false) {
    std::ostringstream out;
    const std::string player(128, 'P');
    output::package::PackageWriter writer(
        out, {reinterpret_cast<const uint8_t*>(player.data()), player.size()});
    writer.AddEntry(entry_name, {reinterpret_cast<const uint8_t*>(entry.data()), entry.size()});
    writer.Finish();
    std::string bytes = out.str();
    if (cut) bytes.resize(bytes.size() - 20);
    const QString path = dir_.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    return path;
  }

  // Reads and accepts the next message box into `text`.
  static void AcceptNextBox(QString& text) {
    WhenModalOpens([&text](QDialog* dialog) {
      auto* box = qobject_cast<QMessageBox*>(dialog);
      ASSERT_NE(box, nullptr);
      text = box->text();
      box->accept();
    });
  }

  static bool AnyWindowShown() {
    for (QWidget* widget : QApplication::topLevelWidgets())
      if (widget->isVisible()) return true;
    return false;
  }

  QTemporaryDir dir_;
};
