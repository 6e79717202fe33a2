// The open and save dialogs of the control, answered by the test as a user would: the dialog is
// found as the active modal widget once it shows.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "activex/member_client.h"
#include "control/engine/view/file_dialogs.h"
#include "platform/base/text.h"
#include "transfer/transfer_support.h"

namespace {

namespace fs = std::filesystem;
using velmora_test::Shell;

const QStringList kOpenFilters = {
    "Bitmap Files (*.bmp)",
    "JPEG Files (*.jpg *.jpeg *.jpe)",
    "PCX Files (*.pcx)",
    "PNG Files (*.png)",
    "GIF Files (*.gif)",
    "Wireless Bitmap Files (*.wbm *.wbmp)",
    "Adobe Photoshop Files (*.psd)",
    "TIFF Files (*.tif *.tiff)",
    "All Image Files (*.bmp *.jpg *.jpeg *.jpe *.pcx *.png *.gif *.wbm *.wbmp *.psd *.tif *.tiff)",
};
const QStringList kSaveFilters = {
    "Bitmap Files (*.bmp)",
    "JPEG Files (*.jpg)",
    "PCX Files (*.pcx)",
    "PNG Files (*.png)",
    "GIF Files (*.gif)",
    "Wireless Bitmap Files (*.wbm)",
    "Adobe Photoshop Files (*.psd)",
    "TIFF Files (*.tif)",
};

class Dialogs : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = velmora_test::MakeScratchDir("velmora-dialogs");
    ASSERT_FALSE(dir_.empty());
    // A camera's upper-case name, written by an outside tool, beside a file no filter lists.
    Shell("convert -size 24x16 xc:green " + Path("PHOTO.JPG"));
    Shell("echo text > " + Path("note.txt"));
  }
  static void TearDownTestSuite() { fs::remove_all(dir_); }
  static std::string Path(const std::string& name) { return (dir_ / name).string(); }

  // Runs member with answer applied to its dialog once the dialog is up; a dialog the answer
  // left open is cancelled, so a failing answer cannot hang the test.
  bool RunDialog(const char* member, const std::function<void(QFileDialog&)>& answer) {
    return Answered([&] { return std::get<bool>(client_.Call(member)); }, answer);
  }
  // Runs show, which opens a dialog, with answer applied to that dialog as RunDialog does.
  bool Answered(const std::function<bool()>& show,
                const std::function<void(QFileDialog&)>& answer) {
    bool answered = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (!dialog || !dialog->isVisible()) return;
      poll.stop();
      answered = true;
      answer(*dialog);
      if (dialog->isVisible()) dialog->reject();
    });
    poll.start(10);
    const bool result = show();
    EXPECT_TRUE(answered) << "no file dialog was shown";
    return result;
  }
  std::string LastFileName() {
    return plat::Utf16ToUtf8(std::get<std::u16string>(client_.Get("LastFileName")));
  }

  static fs::path dir_;
  velmora_test::TestImageBox box_;
  velmora_test::MemberClient client_{box_};
};
fs::path Dialogs::dir_;

// The names the dialog's file list shows for the folder, once the list has read it (its model
// reads on a thread) and shows expected; everything it shows then.
QStringList Listed(QFileDialog& dialog, const std::string& folder, const QString& expected) {
  auto* model = dialog.findChild<QFileSystemModel*>();
  QStringList names;
  for (int i = 0; model && i < 500 && !names.contains(expected); ++i) {
    QApplication::processEvents(QEventLoop::AllEvents, 10);
    const QModelIndex root = model->index(QString::fromStdString(folder));
    names.clear();
    for (int row = 0; row < model->rowCount(root); ++row)
      names << model->fileName(model->index(row, 0, root));
  }
  return names;
}

// Types the name into the dialog's name field and confirms, as a user does.
void Type(QFileDialog& dialog, const std::string& name) {
  auto* field = dialog.findChild<QLineEdit*>("fileNameEdit");
  ASSERT_NE(field, nullptr);
  field->setText(QString::fromStdString(name));
  static_cast<QDialog&>(dialog).accept();
}

TEST_F(Dialogs, LoadDialogOffersTheFormatsAndLoadsThePickedFile) {
  const bool loaded = RunDialog("LoadDialog", [&](QFileDialog& dialog) {
    EXPECT_EQ(dialog.nameFilters(), kOpenFilters);
    EXPECT_EQ(dialog.selectedNameFilter(), kOpenFilters[8]);
    dialog.setDirectory(QString::fromStdString(dir_.string()));
    EXPECT_EQ(Listed(dialog, dir_.string(), "PHOTO.JPG"), QStringList{"PHOTO.JPG"})
        << "an upper-case extension is listed, a text file is not";
    Type(dialog, Path("PHOTO.JPG"));
  });
  EXPECT_TRUE(loaded);
  EXPECT_EQ(LastFileName(), Path("PHOTO.JPG"));
  EXPECT_EQ(std::get<int64_t>(client_.Get("ImageWidth")), 24);

  EXPECT_FALSE(RunDialog("LoadDialog", [](QFileDialog& dialog) { dialog.reject(); }));
  EXPECT_EQ(LastFileName(), Path("PHOTO.JPG")) << "a cancelled dialog changes nothing";
}

TEST_F(Dialogs, SaveDialogStartsWithTheFilterOfTheLastNameAsTyped) {
  struct Case {
    std::u16string last_file_name;
    int filter;  // 1-based
  } cases[] = {{u"/pics/photo.jpg", 2}, {u"/pics/photo.jpeg", 2}, {u"/pics/photo.JPG", 8},
               {u"/pics/x.wbmp", 6},    {u"/pics/x.bmp", 1},      {u"/pics/noext", 8},
               {u"/pics.d/noext", 8},   {u"/pics/x.psd", 7}};
  for (const Case& c : cases) {
    const auto ask = [&] { return pictavo::AskFileToSave(nullptr, c.last_file_name).has_value(); };
    const bool saved = Answered(ask, [&](QFileDialog& dialog) {
      EXPECT_EQ(dialog.nameFilters(), kSaveFilters);
      EXPECT_EQ(dialog.selectedNameFilter(), kSaveFilters[c.filter - 1])
          << plat::Utf16ToUtf8(c.last_file_name);
      dialog.reject();
    });
    EXPECT_FALSE(saved);
  }
}

TEST_F(Dialogs, SaveDialogAppendsTheFilterExtensionToTheTypedName) {
  client_.Call("NewImage", {int64_t{12}, int64_t{9}});
  struct Case {
    const char* typed;
    const char* saved;
  } cases[] = {{"out", "out.jpg"}, {"out.jpg", "out.jpg.jpg"}};
  for (const Case& c : cases) {
    const bool saved = RunDialog("SaveDialog", [&](QFileDialog& dialog) {
      dialog.selectNameFilter(kSaveFilters[1]);
      Type(dialog, Path(c.typed));
    });
    EXPECT_TRUE(saved) << c.typed;
    EXPECT_EQ(Shell("identify -format '%m %wx%h' " + Path(c.saved)), "JPEG 12x9") << c.typed;
    EXPECT_EQ(LastFileName(), Path(c.saved));
  }
}

}  // namespace
