// "Image document" in the viewer's save menu on a real main window: the save dialog, the save and
// what the user is told, on a real X server.
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QTimer>
#include <functional>

#include "app/browse/viewer/viewer_menu.h"
#include "app/output/save_preview.h"
#include "app_dispatch/output_fixture.h"
#include "app_shell/screenshot_compare.h"

namespace {

using velmora_test::OutputFixture;

// Answers each modal window as it opens: the save dialog through `save`, a message box through
// `message`, and any other (the error report) by closing it, counting it.
class ModalAnswers : public QObject {
 public:
  std::function<void(QFileDialog*)> save;
  std::function<void(QMessageBox*)> message = [](QMessageBox* box) { box->accept(); };
  int saveDialogs = 0;
  int reports = 0;

  ModalAnswers() {
    connect(&timer_, &QTimer::timeout, this, [this] { Answer(); });
    timer_.start(10);
  }

 private:
  void Answer() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == answered_) return;
    answered_ = modal;
    if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
      ++saveDialogs;
      save(dialog);
    } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      message(box);
    } else if (auto* other = qobject_cast<QDialog*>(modal)) {
      ++reports;
      other->reject();
    }
  }

  QTimer timer_;
  QPointer<QWidget> answered_;
};

void SaveAs(QFileDialog* dialog, const QString& path) {
  dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path);
  static_cast<QDialog*>(dialog)->accept();
}

class SavePreviewDialogTest : public OutputFixture {
 protected:
  void SetUp() override {
    OutputFixture::SetUp();
    output::Outputs().fncSavePreviewToFile_Dialog = nullptr;
    output::RegisterSavePreview();
    AddRow(QStringLiteral("shown"), "orange", 40, 30);
    ShowRow(0);
  }
  void ChooseImageDocument() {
    QMenu* menu = outputs_->ViewerMenu().mnuSavePreviewAsParent();
    emit menu->aboutToShow();
    QAction* item = menu->actions().at(0);
    ASSERT_TRUE(item->isEnabled());
    item->trigger();
  }
};

TEST_F(SavePreviewDialogTest, ImageDocumentOpensTheDialogAndSavesInTheChosenType) {
  ModalAnswers answers;
  QString title;
  answers.save = [&](QFileDialog* dialog) {
    title = dialog->windowTitle();
    dialog->setDirectory(dir_.path());
    dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText("saved.bmp");
    auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    types->showPopup();
    types->view()->setCurrentIndex(types->model()->index(6, 0));  // PNG
    QTest::keyClick(types->view(), Qt::Key_Return);
    static_cast<QDialog*>(dialog)->accept();
  };
  ChooseImageDocument();
  EXPECT_EQ(answers.saveDialogs, 1);
  EXPECT_EQ(title, "Save preview to an image format");
  QProcess identify;
  identify.start("identify", {"-format", "%m %w %h", File("saved.png")});
  ASSERT_TRUE(identify.waitForFinished());
  EXPECT_EQ(identify.readAllStandardOutput(), "PNG 40 30");
  EXPECT_EQ(answers.reports, 0);
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(SavePreviewDialogTest, CancelWritesNothingAndShowsNothing) {
  ModalAnswers answers;
  answers.save = [](QFileDialog* dialog) { dialog->reject(); };
  const QStringList before = QDir(dir_.path()).entryList(QDir::Files);
  ChooseImageDocument();
  EXPECT_EQ(answers.saveDialogs, 1);
  EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), before);
  EXPECT_EQ(answers.reports, 0);
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(SavePreviewDialogTest, PathThroughAFileIsReportedThenTheUserIsToldOnce) {
  QFile plain(File("plain"));
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  plain.close();
  ModalAnswers answers;
  answers.save = [&](QFileDialog* dialog) { SaveAs(dialog, File("plain") + "/x.png"); };
  ChooseImageDocument();
  EXPECT_EQ(answers.reports, 1);
  EXPECT_EQ(shell::gstrErrorRoutine, "fncSavePreviewImage");
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "The file could not be saved!\r\nPlease try again.");
  EXPECT_EQ(ui_.messages[0].caption, "VelmoraJPEG2000B");
  EXPECT_EQ(QFileInfo(File("plain")).size(), 0);
}

TEST_F(SavePreviewDialogTest, SgiIsRefusedWithItsOwnMessageOnly) {
  ModalAnswers answers;
  answers.save = [&](QFileDialog* dialog) { SaveAs(dialog, File("picture.sgi")); };
  ChooseImageDocument();
  EXPECT_EQ(answers.reports, 0);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "This format can be read but not saved.");
  EXPECT_FALSE(QFileInfo::exists(File("picture.sgi")));
}

// The two messages as the user sees them.
TEST_F(SavePreviewDialogTest, MessagesOnTheScreen) {
  shell::SetUiService(nullptr);
  const std::string golden = VELMORA_SOURCE_DIR "/tests/app_output/golden/";
  QFile plain(File("plain"));
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  plain.close();
  for (const auto& [name, shot] :
       {std::pair<QString, std::string>{File("picture.sgi"), "save_refused_message.png"},
        std::pair<QString, std::string>{File("plain") + "/x.png", "save_failed_message.png"}}) {
    ModalAnswers answers;
    int boxes = 0;
    answers.save = [&, name = name](QFileDialog* dialog) { SaveAs(dialog, name); };
    answers.message = [&, shot = shot](QMessageBox* box) {
      ++boxes;
      ExpectWindowMatchesGolden(*box, (golden + shot).c_str());
      box->accept();
    };
    ChooseImageDocument();
    EXPECT_EQ(boxes, 1) << shot;
  }
}

}  // namespace
