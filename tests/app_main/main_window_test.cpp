// The main window in-process: one instance, settings kept across runs, the pane arrangements and
// their pixel rules, the viewer buttons and zoom text, and the temp folder clean-up at exit.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTreeWidget>
#include <cmath>
#include <cstdlib>
#include <memory>

#include <QCheckBox>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <map>
#include <vector>

#include "app/controls/picture_button.h"
#include "app/controls/splitter.h"
#include "app/shell/errors.h"
#include "app/shell/main_window.h"
#include "app/shell/paths.h"
#include "app/shell/settings.h"
#include "app/shell/settings_dialog.h"
#include "app/shell/version_record.h"
#include "app_shell/modal_helper.h"
#include "app_shell/recording_ui.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"

namespace {

using shell::Arrangement;
using shell::gSetup;
using shell::MainWindow;

class MainWindowTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    QApplication::setApplicationName(QStringLiteral("VelmoraJPEG2000B"));
    ASSERT_EQ(std::system((std::string(VELMORA_REGSVR) + " -s " + PICTAVO_LIBRARY).c_str()), 0);
  }
  void SetUp() override {
    shell::subLoadSetup();  // names the file, so that it can be deleted
    shell::subDeleteSetup();
    QDir(shell::TempFolder()).removeRecursively();
  }

  static std::unique_ptr<MainWindow> Open() {
    auto window = std::make_unique<MainWindow>();
    window->resize(800, 600);
    window->show();
    QApplication::processEvents();
    return window;
  }
  static std::array<int, 4> Positions(const MainWindow& w) {
    return {w.splMain->SplitterPosition(), w.splRight->SplitterPosition(),
            w.splLeft->SplitterPosition(), w.splView->SplitterPosition()};
  }
  static bool SettingsFileExists() { return QFile::exists(shell::gstrSetupFile); }

  static void SendMouse(QWidget* target, QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
    QMouseEvent event(type, at, target->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
  }
  // Drags the divider's bar by `pixels` toward the right or bottom.
  static void DragBar(velmora::Splitter& divider, int pixels) {
    QWidget* bar = divider.Bar();
    const bool across = divider.Orientation() == velmora::Splitter::kHorizontal;
    const QPointF to = across ? QPointF(1, 1 + pixels) : QPointF(1 + pixels, 1);
    SendMouse(bar, QEvent::MouseButtonPress, QPointF(1, 1), Qt::LeftButton);
    SendMouse(bar, QEvent::MouseMove, to, Qt::LeftButton);
    SendMouse(bar, QEvent::MouseButtonRelease, to, Qt::NoButton);
  }

  RecordingUi ui_;
};

TEST_F(MainWindowTest, SecondInstanceIsRefusedAndTouchesNothing) {
  QDir().mkpath(shell::TempFolder());
  const QString tempFile = shell::TempFolder() + QStringLiteral("/page0001");
  QFile(tempFile).open(QIODevice::WriteOnly);
  QLockFile first(shell::InstanceLockPath());
  ASSERT_TRUE(first.tryLock(0));
  QLockFile second(shell::InstanceLockPath());
  EXPECT_FALSE(shell::fncTakeSingleInstance(second));
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text,
            QStringLiteral("There is already an instance of VelmoraJPEG2000B running!\r\n"
                           "Multiple instance is unsupported."));
  EXPECT_TRUE(ui_.messages[0].caption.startsWith(QStringLiteral("VelmoraJPEG2000B ")));
  EXPECT_EQ(ui_.messages[0].icon, shell::MessageIcon::Error);
  EXPECT_TRUE(QFile::exists(tempFile));
  EXPECT_FALSE(QFile::exists(qEnvironmentVariable("XDG_CONFIG_HOME") +
                             QStringLiteral("/VelmoraJPEG2000B/VelmoraJPEG2000B")));
  first.unlock();
  EXPECT_TRUE(shell::fncTakeSingleInstance(second));
}

// An instance that crashed leaves its lock behind; the next start takes it over.
TEST_F(MainWindowTest, StaleLockOfACrashedInstanceIsTakenOver) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    QLockFile crashed(shell::InstanceLockPath());
    ::_exit(crashed.tryLock(0) ? 0 : 1);  // ends without unlocking, as a crash would
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  ASSERT_TRUE(QFile::exists(shell::InstanceLockPath()));
  QLockFile next(shell::InstanceLockPath());
  EXPECT_TRUE(shell::fncTakeSingleInstance(next));
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(MainWindowTest, DefaultsShowTheirCaptionsAndTicks) {
  auto w = Open();
  EXPECT_EQ(Positions(*w), (std::array<int, 4>{70, 30, 50, 50}));
  EXPECT_EQ(w->cmdPreviewType->text(), QStringLiteral("    Optimized"));
  EXPECT_EQ(w->cmdPreviewView->text(), QStringLiteral("  Best Fit"));
  EXPECT_TRUE(w->mnuPreviewType->actions()[1]->isChecked());
  EXPECT_TRUE(w->mnuPreviewFit->actions()[0]->isChecked());
  EXPECT_TRUE(w->mbOptimizedView);
  EXPECT_TRUE(w->sbMain->isVisible());
  EXPECT_EQ(w->Panel(QStringLiteral("queue"))->text(), QStringLiteral("No files in basket"));
  EXPECT_EQ(w->Panel(QStringLiteral("filename"))->text(), QStringLiteral("No file selected"));
  EXPECT_EQ(w->comboFontSize->count(), 93);
  EXPECT_EQ(w->cboPosition->itemText(9), QStringLiteral("Mouse-Click Position"));
}

TEST_F(MainWindowTest, SettingsSurviveARestart) {
  std::array<int, 4> dragged{};
  {
    auto w = Open();
    const int vw = w->vsbView->width();
    for (velmora::Splitter* divider : {w->splMain, w->splRight, w->splLeft, w->splView})
      DragBar(*divider, 60);
    dragged = Positions(*w);
    EXPECT_NE(dragged, (std::array<int, 4>{70, 30, 50, 50}));
    // The end of a drag lays the window out again.
    EXPECT_EQ(w->PicViewImage->width(), w->picView->width() - vw - 1);
    w->lvFolder->setColumnWidth(2, 137);
    w->lvPages->setColumnWidth(4, 88);
    w->lvExif->setColumnWidth(1, 222);
    w->mnuPreviewType->actions()[0]->setChecked(true);
    w->mnuPreviewFit->actions()[1]->setChecked(true);
    w->close();
  }
  auto w = Open();
  EXPECT_EQ(Positions(*w), dragged);
  EXPECT_EQ(w->lvFolder->columnWidth(2), 137);
  EXPECT_EQ(w->lvPages->columnWidth(4), 88);
  EXPECT_EQ(w->lvExif->columnWidth(1), 222);
  EXPECT_EQ(w->cmdPreviewType->text(), QStringLiteral("    Original"));
  EXPECT_EQ(w->cmdPreviewView->text(), QStringLiteral("  Actual Size"));
  EXPECT_FALSE(w->mbOptimizedView);
}

TEST_F(MainWindowTest, TenTenPatternResetsOnlyThePositions) {
  shell::subLoadSetup();
  gSetup.SplitterOptions = {10, 10, 33, 44};
  gSetup.FolderListOptions.ColumnWidths[0] = 77;
  shell::subSaveSetup();
  auto w = Open();
  EXPECT_EQ(Positions(*w), (std::array<int, 4>{70, 30, 50, 50}));
  EXPECT_EQ(w->lvFolder->columnWidth(0), 77);
}

TEST_F(MainWindowTest, ToolTipsFollowShowTooltips) {
  struct Case {
    uint8_t value;
    bool shown;
  } cases[] = {{0, false}, {1, true}, {2, false}};
  for (const Case& c : cases) {
    shell::subLoadSetup();
    gSetup.TooltipOptions.ShowTooltips = c.value;
    shell::subSaveSetup();
    auto w = Open();
    EXPECT_EQ(w->ftvBrowse->toolTip(),
              c.shown
                  ? QStringLiteral("Browse for a particular folder where image files are placed.")
                  : QString())
        << int(c.value);
    EXPECT_EQ(w->lvPages->toolTip(),
              c.shown ? QStringLiteral("List all added files or pages in the basket") : QString());
    EXPECT_EQ(w->PicViewImage->toolTip(),
              c.shown ? QStringLiteral("Container for the preview file.") : QString());
  }
}

TEST_F(MainWindowTest, ArrangementsFollowTheFileShown) {
  auto w = Open();
  struct Step {
    const char* file;
    bool exif, iptc;
    Arrangement expected;
  } steps[] = {{"JPEG", true, true, Arrangement::BrowseMetadataShown},
               {"PSD", false, true, Arrangement::BrowseMetadataShown},
               {"BMP", false, false, Arrangement::BrowseMetadataHidden},
               {"JPEG", true, true, Arrangement::BrowseMetadataShown}};
  for (const Step& s : steps) {
    w->subShowMetadataPane(s.exif, s.iptc);
    EXPECT_EQ(w->CurrentArrangement(), s.expected) << s.file;
    if (s.expected == Arrangement::BrowseMetadataHidden) {
      EXPECT_EQ(w->picView->size(), w->splView->size()) << s.file;
    }
  }
}

TEST_F(MainWindowTest, PaneRectanglesOfEachArrangement) {
  auto w = Open();
  const int tb = w->picToolbarPreview->height();
  const int vw = w->vsbView->width(), hh = w->hsbView->height();
  auto right = [](const QWidget* x) { return x->x() + x->width(); };
  auto bottom = [](const QWidget* x) { return x->y() + x->height(); };

  // Metadata pane shown: 1 px in from the left and below the toolbar.
  EXPECT_EQ(w->PicViewImage->pos(), QPoint(1, tb + 1));
  EXPECT_EQ(right(w->vsbView), w->picView->width());
  EXPECT_EQ(bottom(w->hsbView), w->picView->height() - 1);
  EXPECT_FALSE(w->eb->isVisible());

  // Hidden: the image area keeps its corner and height and reaches to the pane's right edge.
  w->subShowMetadataPane(false, false);
  EXPECT_EQ(w->PicViewImage->pos(), QPoint(1, tb + 1));
  EXPECT_EQ(right(w->vsbView), w->picView->width());
  EXPECT_EQ(bottom(w->hsbView), w->picView->height() - 1);

  // Edit: the view pane covers the window above the status bar, the task pane at its right.
  w->subShowMetadataPane(true, true);
  w->splMain->SetLeftOrTopControl(nullptr);
  w->splRight->SetRightOrBottomControl(nullptr);
  w->splView->SetLeftOrTopControl(nullptr);
  w->subResize();
  ASSERT_EQ(w->CurrentArrangement(), Arrangement::Edit);
  // The whole width holds the toolbar in fewer rows than the view beside the metadata pane.
  const int editTb = w->picToolbarPreview->height();
  EXPECT_LE(editTb, tb);
  EXPECT_EQ(w->picView->geometry(), QRect(0, 0, w->width(), w->height() - w->sbMain->height()));
  EXPECT_EQ(w->PicViewImage->width(), w->picView->width() - vw - w->eb->width());
  EXPECT_EQ(w->PicViewImage->height(), w->picView->height() - editTb - hh);
  EXPECT_TRUE(w->eb->isVisible());
  EXPECT_EQ(w->eb->x(), right(w->vsbView));
  EXPECT_EQ(w->eb->y(), w->PicViewImage->y());
  EXPECT_EQ(w->eb->height(), w->PicViewImage->height());

  // The folder tree and the task list share one rectangle, as do the two metadata lists.
  EXPECT_EQ(w->picFileSystem->geometry(), w->lvEdit->geometry());
  EXPECT_EQ(w->lvExif->geometry(), w->lvIPTC->geometry());
}

TEST_F(MainWindowTest, WindowKeepsItsMinimumSize) {
  auto w = Open();
  w->resize(200, 100);
  QApplication::processEvents();
  EXPECT_GE(w->width(), 533);
  EXPECT_GE(w->height(), 400);
}

TEST_F(MainWindowTest, ViewerButtonsFollowImageLoaded) {
  const QString bmp = QDir::tempPath() + QStringLiteral("/r1-main-window.bmp");
  ASSERT_EQ(std::system(("convert -size 40x30 xc:green BMP3:" + bmp.toStdString()).c_str()), 0);
  auto w = Open();
  EXPECT_FALSE(w->cmdPreviewSave->isEnabled());
  EXPECT_FALSE(w->CmdPreviewEdit->isEnabled());
  EXPECT_FALSE(w->ibMain->isVisible());
  pictavo::ax::ImageBoxProxy(w->ibMain->Dispatch()).LoadFromFile(bmp.toStdString());
  w->subResize();
  EXPECT_TRUE(w->cmdPreviewSave->isEnabled());
  EXPECT_TRUE(w->cmdPreviewPrint->isEnabled());
  EXPECT_TRUE(w->CmdPreviewEdit->isEnabled());
  EXPECT_TRUE(w->ibMain->isVisible());
  EXPECT_EQ(w->ibMain->size(), QSize(40, 30));
  EXPECT_EQ(w->Panel(QStringLiteral("status"))->text(), QStringLiteral("100%"));
  QFile::remove(bmp);
}

TEST_F(MainWindowTest, ListsShowTheirColumnCaptions) {
  auto w = Open();
  const std::pair<QTreeWidget*, QStringList> lists[] = {
      {w->lvFolder,
       {"File Name", "Resolution", "Size", "Pages", "Type", "Date Created", "Date Modified",
        "Date Accessed"}},
      {w->lvPages, {"File Name", "Resolution", "Size", "Type", "Path"}},
      {w->lvExif, {"Attribute", "Value"}},
      {w->lvIPTC, {"Attribute", "Value"}},
      {w->lvEdit, {"Confirmed Tasks"}},
  };
  for (const auto& [list, captions] : lists) {
    QStringList shown;
    for (int column = 0; column < list->columnCount(); ++column)
      shown << list->headerItem()->text(column);
    EXPECT_EQ(shown, captions);
  }
}

TEST_F(MainWindowTest, StatusPanelsCarryTheirIcons) {
  auto w = Open();
  const std::pair<const char*, bool> panels[] = {
      {"filename", true}, {"pages", false}, {"resolution", false}, {"queue", true},
      {"metadata", true}, {"folder", true}, {"status", true}};
  for (const auto& [key, hasIcon] : panels) {
    const QLabel* icon = w->PanelIcon(QString::fromLatin1(key));
    ASSERT_NE(icon, nullptr) << key;
    EXPECT_EQ(!icon->pixmap().isNull(), hasIcon) << key;
  }
}

// At the smallest window the preview pane is narrow: the buttons keep their full size and stand
// side by side, the row running past the pane's end rather than squeezing them.
// In a view too narrow for one row the buttons break into further rows: each keeps its width,
// none overlaps another, and all stand inside the view above the image area, beside the metadata
// pane or without it, at the first start's size (the screen's) and at the smallest window.
TEST_F(MainWindowTest, PreviewToolbarKeepsEveryButtonWhole) {
  auto w = std::make_unique<MainWindow>();
  w->show();
  QApplication::processEvents();
  const QSize firstStart = w->size();
  const QPushButton* row[] = {w->cmdPreviewSave, w->cmdPreviewType,     w->cmdPreviewPrint,
                              w->cmdPreviewView, w->cmdPreviewPrevious, w->cmdPreviewNext,
                              w->CmdPreviewEdit};
  for (const QSize size : {firstStart, QSize(200, 100)}) {
    for (const bool metadata : {true, false}) {
      w->resize(size);
      w->subShowMetadataPane(metadata, false);
      QApplication::processEvents();
      const std::string where = std::to_string(w->width()) + (metadata ? " with" : " without");
      QRect previous(w->Label4->geometry());
      for (const QPushButton* button : row) {
        const std::string name = button->text().toStdString() + " at " + where;
        // Each keeps the width its picture and caption were fitted to.
        EXPECT_EQ(button->width(), button->minimumWidth()) << name;
        EXPECT_EQ(button->width(), button->maximumWidth()) << name;
        const QRect inView(button->mapTo(w->picView, QPoint()), button->size());
        EXPECT_TRUE(w->picView->rect().contains(inView)) << name;
        EXPECT_LE(inView.bottom(), w->PicViewImage->y()) << name;
        EXPECT_TRUE(button->isVisibleTo(w.get())) << name;
        // Reading order: right of the one before on its row, or on a row further down.
        EXPECT_TRUE(button->x() >= previous.right() + 1 || button->y() > previous.bottom()) << name;
        previous = button->geometry();
      }
    }
  }
}

// The metadata pane showing or hiding moves nothing but the image area's right edge, which
// follows the pane: the other panes, the toolbar and the image area's corner and height stay.
TEST_F(MainWindowTest, MetadataPaneLeavesTheOtherPanesInPlace) {
  auto w = Open();
  auto placeOf = [&w](const QWidget* pane) {
    return QRect(pane->mapTo(w.get(), QPoint()), pane->size());
  };
  // The panes beside the view and the toolbar's caption and buttons, in a fixed order.
  auto placesOf = [&] {
    std::vector<QRect> places;
    for (const QWidget* pane : std::initializer_list<const QWidget*>{
             w->picBrowse, w->PicFolder, w->PicQueue, w->Label4, w->cmdPreviewSave,
             w->cmdPreviewType, w->cmdPreviewPrint, w->cmdPreviewView, w->cmdPreviewPrevious,
             w->cmdPreviewNext, w->CmdPreviewEdit})
      places.push_back(placeOf(pane));
    return places;
  };
  w->subShowMetadataPane(true, true);
  const auto shown = placesOf();
  const QRect areaShown = placeOf(w->PicViewImage);
  const int splitShown = w->splView->SplitterPosition();
  const int paneRight = placeOf(w->PicMetadata).right();

  w->subShowMetadataPane(false, false);
  EXPECT_EQ(placesOf(), shown);
  const QRect areaHidden = placeOf(w->PicViewImage);
  EXPECT_EQ(areaHidden.topLeft(), areaShown.topLeft());
  EXPECT_EQ(areaHidden.height(), areaShown.height());
  EXPECT_EQ(placeOf(w->vsbView).right(), paneRight);
  EXPECT_EQ(w->splView->SplitterPosition(), splitShown);

  w->subShowMetadataPane(true, false);
  EXPECT_EQ(placesOf(), shown);
  EXPECT_EQ(placeOf(w->PicViewImage), areaShown);
}

// A window state that cannot be written is reported with its file; the record is written anyway.
TEST_F(MainWindowTest, UnwritableWindowStateIsReportedAndTheRecordStillWritten) {
  auto w = Open();
  const QString stateFile =
      QFileInfo(shell::gstrSetupFile).absolutePath() + QStringLiteral("/window.ini");
  ASSERT_TRUE(QDir().mkpath(stateFile));  // a folder stands where the file would go
  QFile::remove(shell::gstrSetupFile);
  QString reported;
  WhenModalOpens([&reported](QDialog* report) {
    reported = shell::gstrErrorText;
    report->close();
  });
  w->close();
  EXPECT_TRUE(reported.startsWith(QStringLiteral("75 - "))) << reported.toStdString();
  EXPECT_TRUE(reported.contains(stateFile)) << reported.toStdString();
  EXPECT_TRUE(SettingsFileExists());
  EXPECT_TRUE(QDir(stateFile).removeRecursively());
}

// The window comes back maximised when it was maximised at the exit, and normal when it was
// normal; either way it returns to the normal size it had before.
TEST_F(MainWindowTest, MaximisedStateComesBackAtTheNextStart) {
  for (const bool maximised : {true, false}) {
    {
      auto w = Open();
      w->resize(700, 500);
      if (maximised) w->showMaximized();
      QApplication::processEvents();
      ASSERT_EQ(w->isMaximized(), maximised);
      w->close();
    }
    MainWindow again;
    again.show();
    QApplication::processEvents();
    EXPECT_EQ(again.isMaximized(), maximised) << maximised;
    again.showNormal();
    QApplication::processEvents();
    EXPECT_EQ(again.size(), QSize(700, 500)) << maximised;
    again.close();
  }
}

TEST_F(MainWindowTest, MetadataToolbarsStandBesideTheLists) {
  auto w = Open();
  for (QWidget* bar : {w->picEXIFBar, w->picIPTCBar}) {
    EXPECT_FALSE(bar->geometry().intersects(w->lblMetadata->geometry()));
    EXPECT_FALSE(bar->geometry().intersects(w->tbsMetadata->geometry()));
    EXPECT_TRUE(w->PicMetadata->rect().contains(bar->geometry()));
    EXPECT_EQ(bar->y(), w->lvExif->y());
  }
  EXPECT_TRUE(w->picEXIFBar->isVisible());
  EXPECT_FALSE(w->picIPTCBar->isVisible());
  for (QPushButton* button : w->cmdEXIFBar) EXPECT_FALSE(button->isEnabled());
}

TEST_F(MainWindowTest, SetUpNamesThePrintTitleAndTheManual) {
  auto w = Open();
  EXPECT_EQ(pictavo::ax::ImageBoxProxy(w->ibMain->Dispatch()).get_PrintTitle().Utf8(),
            "VelmoraJPEG2000B");
  const QFileInfo manual(shell::gstrHelpFile);
  EXPECT_EQ(manual.fileName(), QStringLiteral("Help.html"));
  EXPECT_EQ(manual.absolutePath(), QDir::cleanPath(QCoreApplication::applicationDirPath() +
                                                   QStringLiteral("/../share/VelmoraJPEG2000B")));
  EXPECT_TRUE(shell::fncAppPath().endsWith(QStringLiteral("app_main/")));
}

TEST_F(MainWindowTest, ThumbnailSizesAndBasketFolderTravelThroughTheWorkingCopies) {
  shell::subLoadSetup();
  gSetup.FolderListOptions.ThumbnailWidth = 55;
  gSetup.FolderListOptions.ThumbnailHeight = 66;
  gSetup.BasketListOptions.ThumbnailWidth = 77;
  gSetup.BasketListOptions.ThumbnailHeight = 88;
  gSetup.BasketListOptions.Folder = QStringLiteral("/srv/baskets");
  shell::subSaveSetup();
  {
    auto w = Open();
    EXPECT_EQ((std::array{shell::glThumbWidth, shell::glThumbHeight, shell::glBasketThumbWidth,
                          shell::glBasketThumbHeight}),
              (std::array<int32_t, 4>{55, 66, 77, 88}));
    EXPECT_EQ(shell::gstrBasketFolder, QStringLiteral("/srv/baskets"));
    // The settings dialog writes gSetup, then asks the window to apply it.
    gSetup.FolderListOptions.ThumbnailWidth = 120;
    w->subUpdateForm();
    EXPECT_EQ(shell::glThumbWidth, 120);
    shell::glBasketThumbHeight = 99;
    shell::gstrBasketFolder = QStringLiteral("/srv/other");
    w->close();
  }
  shell::subLoadSetup();
  EXPECT_EQ(gSetup.FolderListOptions.ThumbnailWidth, 120);
  EXPECT_EQ(gSetup.BasketListOptions.ThumbnailHeight, 99);
  EXPECT_EQ(gSetup.BasketListOptions.Folder, QStringLiteral("/srv/other"));
}

TEST_F(MainWindowTest, WindowOpensAtTheSizeOfTheLastRun) {
  const QSize room = QGuiApplication::primaryScreen()->availableSize();
  {
    auto w = std::make_unique<MainWindow>();
    EXPECT_TRUE(QRect(QPoint(), room).contains(QRect(QPoint(), w->size())));
    EXPECT_GE(w->width(), 533);
    EXPECT_GE(w->height(), 400);
    w->show();
    w->resize(700, 500);
    QApplication::processEvents();
    w->close();
  }
  MainWindow again;
  EXPECT_EQ(again.size(), QSize(700, 500));
}

// A fitting image sits in the middle of the image area in each arrangement, also after the area
// has grown past it (the bars then have nothing to scroll and must not move it).
TEST_F(MainWindowTest, ShownImageStaysCentredAsTheViewChanges) {
  const QString bmp = QDir::tempPath() + QStringLiteral("/r1-centred.bmp");
  ASSERT_EQ(std::system(("convert -size 41x30 xc:red BMP3:" + bmp.toStdString()).c_str()), 0);
  auto w = Open();
  pictavo::ax::ImageBoxProxy(w->ibMain->Dispatch()).LoadFromFile(bmp.toStdString());
  for (const bool shown : {true, false, true}) {
    w->subShowMetadataPane(shown, shown);
    const QSize area = w->PicViewImage->contentsRect().size();
    ASSERT_GT(area.width(), 41);
    EXPECT_EQ(w->ibMain->geometry(),
              QRect(static_cast<int>(std::nearbyint((area.width() - 41) / 2.0)),
                    static_cast<int>(std::nearbyint((area.height() - 30) / 2.0)), 41, 30))
        << shown;
    EXPECT_FALSE(w->hsbView->isEnabled());
    EXPECT_EQ(w->hsbView->value(), 0);
    EXPECT_EQ(w->vsbView->value(), 0);
  }
  QFile::remove(bmp);
}

// The viewer hears ibMain's mouse events, each under its own name with the control's arguments
// in their order (OnMouseDown 3, OnMouseMove 1, OnMouseUp 2).
TEST_F(MainWindowTest, ImageMouseEventsReachTheViewer) {
  const QString bmp = QDir::tempPath() + QStringLiteral("/r1-mouse.bmp");
  ASSERT_EQ(std::system(("convert -size 60x40 xc:blue BMP3:" + bmp.toStdString()).c_str()), 0);
  auto w = Open();
  pictavo::ax::ImageBoxProxy(w->ibMain->Dispatch()).LoadFromFile(bmp.toStdString());
  w->subResize();
  auto line = [](const char* name, const QVariantList& values) {
    QStringList parts{QString::fromLatin1(name)};
    for (const QVariant& v : values) parts << v.toString();
    return parts.join(QLatin1Char(' '));
  };
  QStringList fired, heard;
  QObject::connect(w->ibMain, &plat::com::ControlHost::Event,
                   [&](int dispid, const QVariantList& args) {
                     const char* names[] = {"", "move", "up", "down"};
                     if (dispid >= 1 && dispid <= 3) fired << line(names[dispid], args);
                   });
  QObject::connect(w.get(), &MainWindow::ImageMouseDown, [&](int b, int s, int x, int y) {
    heard << line("down", {b, s, x, y});
  });
  QObject::connect(w.get(), &MainWindow::ImageMouseMove, [&](int s, int x, int y) {
    heard << line("move", {s, x, y});
  });
  QObject::connect(w.get(), &MainWindow::ImageMouseUp, [&](int b, int s, int x, int y) {
    heard << line("up", {b, s, x, y});
  });
  QWidget* view = w->ibMain->ControlWidget();
  auto send = [&](QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons held,
                  Qt::KeyboardModifiers keys) {
    QMouseEvent event(type, at, view->mapToGlobal(at), button, held, keys);
    QApplication::sendEvent(view, &event);
  };
  send(QEvent::MouseButtonPress, {7, 9}, Qt::RightButton, Qt::RightButton, Qt::NoModifier);
  send(QEvent::MouseMove, {20, 15}, Qt::NoButton, Qt::RightButton, Qt::ShiftModifier);
  send(QEvent::MouseButtonRelease, {21, 16}, Qt::RightButton, Qt::NoButton, Qt::ControlModifier);
  ASSERT_EQ(fired.size(), 3);
  EXPECT_EQ(heard, fired);
  EXPECT_TRUE(fired[0].startsWith(QStringLiteral("down 2 ")));  // 2: the right button
  EXPECT_TRUE(fired[1].endsWith(QStringLiteral(" 20 15")));
  QFile::remove(bmp);
}

TEST(ZoomText, WholePercentHalvesToEven) {
  struct Case {
    double zoom;
    const char* text;
  } cases[] = {{100, "100%"}, {33.3, "33%"}, {12.5, "12%"}, {13.5, "14%"}};
  for (const Case& c : cases) EXPECT_EQ(shell::ZoomText(c.zoom), QString::fromLatin1(c.text));
}

TEST_F(MainWindowTest, ExitDeletesOnlyExtensionlessTempFiles) {
  QDir().mkpath(shell::TempFolder());
  const QString bare = shell::TempFolder() + QStringLiteral("/tmp4711");
  const QString kept = shell::TempFolder() + QStringLiteral("/page.tif");
  for (const QString& path : {bare, kept}) QFile(path).open(QIODevice::WriteOnly);
  auto w = Open();
  w->close();
  EXPECT_FALSE(QFile::exists(bare));
  EXPECT_TRUE(QFile::exists(kept));
  EXPECT_TRUE(SettingsFileExists());

  QDir(shell::TempFolder()).removeRecursively();
  auto again = Open();
  EXPECT_TRUE(again->close());  // a missing temp folder is no error
}

TEST_F(MainWindowTest, HelpToolbarStandsInTheFolderCaption) {
  auto w = Open();
  // The captions as given, padded further for the pictures.
  EXPECT_TRUE(w->cmdBrowseSettings->text().endsWith(QStringLiteral("     Settings")));
  EXPECT_EQ(w->cmdBrowseSettings->toolTip(), QStringLiteral("Adjust setting"));
  EXPECT_TRUE(w->cmdBrowseAbout->text().endsWith(QStringLiteral("      Help")));
  EXPECT_EQ(w->cmdBrowseAbout->toolTip(), QStringLiteral("Help and other resources"));
  EXPECT_EQ(w->PicToolbarFolder->parentWidget(), w->lblFolder);
  EXPECT_LE(w->PicToolbarFolder->geometry().right(), w->lblFolder->width());
  EXPECT_GT(w->PicToolbarFolder->x(), 0);
  std::vector<QString> captions;
  for (QAction* item : w->mnuAboutParent->actions())
    captions.push_back(item->isSeparator() ? QStringLiteral("-") : item->text());
  EXPECT_EQ(captions, (std::vector<QString>{"Tutorials", "Visit Home Page", "-", "Help Manual",
                                            "About Velmora JPEG2000"}));
}

TEST_F(MainWindowTest, HelpMenuOpensBelowTheHelpButtonAtAnyDividerPosition) {
  auto w = Open();
  for (int position : {25, 70}) {
    w->splLeft->SetSplitterPosition(position);
    w->subResize();
    QApplication::processEvents();
    QTest::mouseClick(w->cmdBrowseAbout, Qt::LeftButton);
    ASSERT_TRUE(w->mnuAboutParent->isVisible()) << position;
    EXPECT_EQ(w->mnuAboutParent->pos(),
              w->cmdBrowseAbout->mapToGlobal(QPoint(0, w->cmdBrowseAbout->height())))
        << position;
    w->mnuAboutParent->close();
  }
}

// The manual is handed over also when it is missing: the desktop reports that.
TEST_F(MainWindowTest, HelpItemsHandTheirTargetsToTheDesktop) {
  auto w = Open();
  const QString saved = shell::gstrHelpFile;
  shell::gstrHelpFile = QStringLiteral("/nowhere/Help.html");
  for (int item : {0, 1, 3}) w->mnuAboutParent->actions()[item]->trigger();
  shell::gstrHelpFile = saved;
  EXPECT_EQ(ui_.opened, (std::vector<QString>{shell::version::kTutorialPage,
                                              shell::version::kHomePage, "/nowhere/Help.html"}));
}

TEST_F(MainWindowTest, LastHelpItemShowsTheAboutBoxOverTheWindow) {
  auto w = Open();
  QString shown;
  QWidget* owner = nullptr;
  WhenModalOpens([&](QDialog* dialog) {
    shown = dialog->objectName();
    owner = dialog->parentWidget();
    dialog->accept();
  });
  w->mnuAboutParent->actions()[4]->trigger();
  EXPECT_EQ(shown, QStringLiteral("frmAbout"));
  EXPECT_EQ(owner, w.get());
}

// The settings dialog's OK reaches both lists at once, and the exit writes the values where the
// independent layout script puts those members.
TEST_F(MainWindowTest, SettingsOkAppliesToBothListsAndTheExitStoresThem) {
  QDir().mkpath(shell::DefaultSetupFolder());  // so the tree can keep it as the last folder
  auto w = Open();
  WhenModalOpens([](QDialog* dialog) {
    auto* settings = dynamic_cast<shell::frmSettings*>(dialog);
    ASSERT_NE(settings, nullptr);
    settings->chkAllowTip->setChecked(false);
    settings->chkFolderFullRowSelect->setChecked(true);
    settings->txtFolderThumbnailWidth->setText(QStringLiteral("120"));
    settings->txtFolderThumbnailHeight->setText(QStringLiteral("96"));
    settings->optFileSize[1]->setChecked(true);
    settings->cmdOK->click();
  });
  QTest::mouseClick(w->cmdBrowseSettings, Qt::LeftButton);
  EXPECT_EQ(w->lvFolder->selectionBehavior(), QAbstractItemView::SelectRows);
  EXPECT_EQ(w->lvPages->selectionBehavior(), QAbstractItemView::SelectRows);
  EXPECT_EQ(shell::glThumbWidth, 120);
  EXPECT_EQ(shell::glBasketThumbWidth, 120);
  EXPECT_EQ(shell::glThumbHeight, 96);
  EXPECT_EQ(shell::glBasketThumbHeight, 96);
  EXPECT_TRUE(w->lvFolder->toolTip().isEmpty());
  w->close();

  QTemporaryDir dir;
  const QString offsetsFile = dir.filePath("offsets.txt");
  ASSERT_EQ(
      QProcess::execute(
          "python3", {VELMORA_SOURCE_DIR "/tests/app_shell/default_setup_record.py",
                      dir.filePath("default.bin"), shell::DefaultSetupFolder(), "15", offsetsFile}),
      0);
  QFile offsets(offsetsFile);
  ASSERT_TRUE(offsets.open(QIODevice::ReadOnly));
  std::map<QString, int> at;
  for (const QByteArray& line : offsets.readAll().split('\n'))
    if (const QList<QByteArray> parts = line.split(' '); parts.size() == 2)
      at[QString::fromLatin1(parts[0])] = parts[1].toInt();
  QFile stored(shell::gstrSetupFile);
  ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
  const QByteArray bytes = stored.readAll();
  auto i16 = [&](const char* member) {
    const int offset = at.at(QString::fromLatin1(member));
    return static_cast<int16_t>(static_cast<uint8_t>(bytes[offset]) |
                                static_cast<uint8_t>(bytes[offset + 1]) << 8);
  };
  auto u8 = [&](const char* member) {
    return static_cast<uint8_t>(bytes[at.at(QString::fromLatin1(member))]);
  };
  EXPECT_EQ(u8("TooltipOptions.ShowTooltips"), 0);
  EXPECT_EQ(i16("FolderListOptions.FullRowSelect"), -1);
  EXPECT_EQ(i16("FolderListOptions.ThumbnailWidth"), 120);
  EXPECT_EQ(i16("FolderListOptions.ThumbnailHeight"), 96);
  EXPECT_EQ(u8("FolderListOptions.FileSizeFormat"), 1);
  EXPECT_EQ(i16("BasketListOptions.FullRowSelect"), -1);
  EXPECT_EQ(i16("BasketListOptions.ThumbnailWidth"), 120);
  EXPECT_EQ(i16("BasketListOptions.ThumbnailHeight"), 96);
}

// Every toolbar button of the window shows its picture while the window lives; the exit takes the
// pictures off again, after the settings are written.
TEST_F(MainWindowTest, ButtonsCarryTheirPicturesUntilTheExit) {
  auto w = Open();
  std::vector<QPushButton*> buttons{w->cmdSaveAs,      w->cmdBrowseSettings,  w->cmdBrowseAbout,
                                    w->cmdPreviewView, w->cmdPreviewPrevious, w->cmdPreviewNext,
                                    w->cmdPreviewType, w->cmdPreviewSave,     w->cmdBatchPrint,
                                    w->CmdPreviewEdit, w->cmdPreviewPrint,    w->cmdTwainAcquire,
                                    w->cmdCapture};
  buttons.insert(buttons.end(), w->cmdEXIFBar.begin(), w->cmdEXIFBar.end());
  buttons.insert(buttons.end(), w->cmdIPTCBar.begin(), w->cmdIPTCBar.end());
  for (QPushButton* button : buttons)
    EXPECT_NE(velmora::PictureButton::Of(button), nullptr) << button->toolTip().toStdString();
  w->close();
  EXPECT_TRUE(SettingsFileExists());
  for (QPushButton* button : w->findChildren<QPushButton*>())
    EXPECT_EQ(velmora::PictureButton::Of(button), nullptr);
}

}  // namespace
