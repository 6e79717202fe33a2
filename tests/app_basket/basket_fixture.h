#pragma once
// The basket through the program's own wiring: a hidden main window, the folder list over a real
// folder, real ImageBox controls. ImageMagick writes the pictures and so decides their colours.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <cstdlib>
#include <memory>
#include <ostream>
#include <string>

#include "app/browse/basket_list.h"
#include "app/browse/folder_browser.h"
#include "app/browse/folder_pane.h"
#include "app/browse/row_tag.h"
#include "app/browse/viewer/viewer_pane.h"
#include "app/shell/main_window.h"
#include "app/shell/settings.h"
#include "app_shell/recording_ui.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"
#include "support/folder_listing.h"
#include "support/qstring_print.h"
#include "tests/graphics/referee.h"

namespace basket_test {

using browse::BasketItem;

// The pictures of the folder, in the list's name order: name, ImageMagick source, colour.
struct Picture {
  const char* name;
  const char* source;
  QRgb colour;
};
const Picture kPictures[] = {
    {"a_red.png", "-size 40x30 xc:red", 0xFF0000},
    {"b_green.bmp", "-size 24x36 xc:lime -type TrueColor", 0x00FF00},
    {"c_blue.png", "-size 50x10 xc:blue", 0x0000FF},
    {"scan.tif",
     "-size 12x8 xc:red -size 20x10 xc:lime -size 6x30 xc:blue -compress lzw "
     "-define tiff:predictor=1",
     0},
};
constexpr int kScanRow = 3;
constexpr QRgb kScanColours[] = {0xFF0000, 0x00FF00, 0x0000FF};

inline QRgb CentreColour(const QPixmap& picture) {
  const QImage image = picture.toImage();
  return image.pixel(image.width() / 2, image.height() / 2) & 0xFFFFFF;
}

// The "Compression Scheme" lines tiffinfo prints, one per directory.
inline QStringList Compressions(const QString& path) {
  const QString info = QString::fromStdString(
      velmora_test::Capture("tiffinfo '" + path.toStdString() + "' 2>/dev/null"));
  QStringList schemes;
  for (const QString& line : info.split(QLatin1Char('\n')))
    if (line.trimmed().startsWith(QStringLiteral("Compression Scheme:"))) schemes << line.trimmed();
  return schemes;
}

// Width " X " height of every page, as ImageMagick measures them.
inline QStringList PageSizes(const QString& path) {
  return QString::fromStdString(
             velmora_test::Capture("identify -format '%w X %h\\n' '" + path.toStdString() + "'"))
      .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

class BasketTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Page files go to the cache folder: a scratch one, so the new basket deletes only ours.
    static QTemporaryDir cache;
    ::setenv("XDG_CACHE_HOME", cache.path().toUtf8().constData(), 1);
    static QTemporaryDir config;
    ::setenv("XDG_CONFIG_HOME", config.path().toUtf8().constData(), 1);
    QApplication::setApplicationName(QStringLiteral("VelmoraJPEG2000B"));
    ASSERT_EQ(std::system((std::string(VELMORA_REGSVR) + " -s " + PICTAVO_LIBRARY).c_str()), 0);
  }
  void SetUp() override {
    shell::subLoadSetup();
    shell::subDeleteSetup();
    window_ = std::make_unique<shell::MainWindow>();
    window_->resize(800, 600);
    window_->show();
    browser_ = browse::AttachFolderBrowser(*window_);
    pane_ = std::make_unique<browse::ViewerPane>(*window_, *browser_);
    for (const Picture& picture : kPictures) {
      const std::string command = std::string("convert ") + picture.source + " -depth 8 '" +
                                  File(picture.name).toStdString() + "'";
      ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    ListFolder();
  }
  void TearDown() override {
    pane_.reset();
    window_.reset();
  }

  // Lists the folder and waits for the end of its own listing (the restored folder may be
  // listing already).
  void ListFolder() {
    ASSERT_TRUE(ListFolderAsTheTreeDoes(*browser_, dir_.path()));
    ASSERT_EQ(window_->lvFolder->topLevelItemCount(), 4);
  }

  QString File(const char* name) const { return dir_.filePath(QString::fromUtf8(name)); }
  QTreeWidgetItem* FileRow(int index) const { return window_->lvFolder->topLevelItem(index); }
  // Selects exactly these file-list rows and presses the add button.
  void Add(const QList<int>& rows) {
    window_->lvFolder->clearSelection();
    for (int row : rows) FileRow(row)->setSelected(true);
    ASSERT_TRUE(browser_->AddToBasketHook);  // the program wires the list to the basket
    browser_->AddToBasketHook();
  }
  QStringList BasketPaths() const {
    QStringList paths;
    for (const BasketItem& row : pane_->Basket().Rows()) paths << row.Path;
    return paths;
  }
  QStringList BasketNames() const {
    QStringList names;
    for (const BasketItem& row : pane_->Basket().Rows()) names << row.Text;
    return names;
  }
  QStringList SelectedNames() const {
    QStringList names;
    for (int i = 0; i < window_->lvPages->topLevelItemCount(); ++i)
      if (window_->lvPages->topLevelItem(i)->isSelected())
        names << window_->lvPages->topLevelItem(i)->text(0);
    return names;
  }
  QString QueuePanel() const { return window_->Panel(QStringLiteral("queue"))->text(); }
  QPushButton* Button(const char* name) const {
    auto* button = window_->findChild<QPushButton*>(QString::fromLatin1(name));
    EXPECT_NE(button, nullptr) << name;
    return button;
  }
  // Where basket row `index` is drawn, in the list's viewport.
  QPoint RowPlace(int index) const {
    return window_->lvPages->visualItemRect(window_->lvPages->topLevelItem(index)).center();
  }
  // The file the viewer's control read last.
  QString ViewerFile() const {
    return QString::fromStdString(
        pictavo::ax::ImageBoxProxy(window_->ibMain->Dispatch()).get_LastFileName().Utf8());
  }

  QTemporaryDir dir_;
  RecordingUi ui_;  // a message box would wait for a click
  std::unique_ptr<shell::MainWindow> window_;
  browse::FolderBrowser* browser_ = nullptr;
  std::unique_ptr<browse::ViewerPane> pane_;
};

}  // namespace basket_test
