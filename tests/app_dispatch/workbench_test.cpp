// The workbench's main road as a new user walks it, through the program's own widgets: files
// ImageMagick writes are listed, shown, put in the basket and converted; OpenJPEG's own tools
// judge the outputs.
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QTest>
#include <cstdio>

#include "app/output/basket_menus.h"
#include "app/output/batch_services.h"
#include "app_shell/modal_helper.h"
#include "output_fixture.h"
#include "support/folder_listing.h"

namespace {

using velmora_test::OutputFixture;

std::string Quoted(const QString& path) {
  return "'" + path.toStdString() + "'";
}

// What a command writes on its standard output.
std::string Output(const std::string& command) {
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return {};
  std::string text;
  char buffer[4096];
  while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) text.append(buffer, n);
  ::pclose(pipe);
  return text;
}

class WorkbenchTest : public OutputFixture {
 protected:
  void SetUp() override {
    OutputFixture::SetUp();
    output::Outputs() = {};
    output::RegisterBatchConversion();
    ASSERT_TRUE(QDir().mkpath(Folder()));
  }
  QString Folder() const { return File(QStringLiteral("pictures")); }
  QString InFolder(const QString& name) const { return QDir(Folder()).filePath(name); }
  void List() { ASSERT_TRUE(ListFolderAsTheTreeDoes(*browser_, Folder())); }
  QTreeWidgetItem* FileRow(const QString& name) const {
    const QList<QTreeWidgetItem*> found = window_->lvFolder->findItems(name, Qt::MatchExactly, 0);
    return found.isEmpty() ? nullptr : found.first();
  }
  // Selects the file's row in the file list and presses the basket's add button.
  void AddToBasket(const QString& name) {
    QTreeWidgetItem* row = FileRow(name);
    ASSERT_NE(row, nullptr) << name.toStdString();
    window_->lvFolder->clearSelection();
    row->setSelected(true);
    auto* add = window_->findChild<QPushButton*>(QStringLiteral("cmdAddToQueue"));
    ASSERT_NE(add, nullptr);
    add->click();
  }
  // "Save basket as JPEG2000 files in batch" with the options form's "Save".
  void ConvertBasket() {
    WhenModalOpens([](QDialog* form) {
      for (QPushButton* button : form->findChildren<QPushButton*>())
        if (button->text() == QStringLiteral("Save")) button->click();
    });
    outputs_->Basket().mnuSaveAs_Click(0);
  }
  QStringList BasketColumn(int column) const {
    QStringList texts;
    for (int i = 0; i < window_->lvPages->topLevelItemCount(); ++i)
      texts << window_->lvPages->topLevelItem(i)->text(column);
    return texts;
  }
  QString LastMessage() const {
    return ui_.messages.empty() ? QString() : ui_.messages.back().text;
  }
};

// Every page of a multipage file converts beside that file, where the one-page files of the same
// folder land too; nothing goes to the program's temp folder.
TEST_F(WorkbenchTest, PagesOfAMultipageFileConvertBesideIt) {
  Make(
      "-size 64x48 pattern:checkerboard pattern:gray50 pattern:hexagons pattern:bricks "
      "pattern:crosshatch -monochrome -compress group4",
      InFolder(QStringLiteral("scan.tif")));
  Make("-size 30x20 xc:orange", InFolder(QStringLiteral("single.png")));
  List();
  AddToBasket(QStringLiteral("scan.tif"));
  AddToBasket(QStringLiteral("single.png"));
  ASSERT_EQ(window_->lvPages->topLevelItemCount(), 6);
  shell::gSetup.BatchNamingOptions.DestinationMode = 0;  // "to the source folder"
  ConvertBasket();
  for (const char* name : {"scan1", "scan2", "scan3", "scan4", "scan5", "single"}) {
    const QString output = InFolder(QString::fromUtf8(name) + QStringLiteral(".jp2"));
    ASSERT_TRUE(QFileInfo::exists(output)) << output.toStdString();
    EXPECT_NE(Output("opj_dump -i " + Quoted(output) + " 2>/dev/null").find("x1="),
              std::string::npos)
        << output.toStdString();
  }
  EXPECT_TRUE(QDir(shell::TempFolder()).entryList({QStringLiteral("*.jp2")}).isEmpty());
  EXPECT_EQ(LastMessage(), QStringLiteral("6 converted, 0 skipped (exists), 0 failed"));
}

// A 16-bit RGBA LZW file with a predictor, as ImageMagick writes it: the viewer shows it, so the
// basket splits it, each page reduced to 8 bits a sample.
TEST_F(WorkbenchTest, EveryPageTheViewerShowsSplitsIntoTheBasket) {
  const QString file = InFolder(QStringLiteral("deep.tif"));
  const std::string command =
      "convert -size 30x20 xc:red xc:lime xc:blue -alpha on -depth 16 -compress lzw "
      "-define tiff:predictor=2 " +
      Quoted(file);
  ASSERT_EQ(std::system(command.c_str()), 0);
  List();
  AddToBasket(QStringLiteral("deep.tif"));
  EXPECT_TRUE(ui_.messages.empty()) << LastMessage().toStdString();
  ASSERT_EQ(BasketColumn(0), QStringList({"deep1", "deep2", "deep3"}));
  EXPECT_EQ(BasketColumn(1), QStringList({"30 X 20", "30 X 20", "30 X 20"}));
  // Each page file is a picture another reader takes, with the page's own colours.
  const QList<browse::BasketItem> rows = pane_->Basket().Rows();
  const QRgb colours[] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)};
  for (int page = 0; page < 3; ++page) {
    const QImage picture(rows[page].Tag);
    ASSERT_EQ(picture.size(), QSize(30, 20)) << page;
    EXPECT_EQ(picture.pixel(15, 10) & 0xFFFFFF, colours[page] & 0xFFFFFF) << page;
  }
}

// Sizes and dates sort by their value, names in natural order without regard to case, in the
// file list and in the basket alike.
TEST_F(WorkbenchTest, SizeDateAndNameColumnsSortByValue) {
  struct Picture {
    const char* name;
    const char* noise;  // the size comes from the noise ImageMagick stores
    const char* date;
  } pictures[] = {
      {"Photo10.png", "-size 400x400 plasma:fractal", "2023-07-14 10:00"},
      {"photo9.png", "-size 8x8 xc:red", "2025-01-02 10:00"},
      {"photo100.png", "-size 120x120 plasma:fractal", "2019-03-30 10:00"},
  };
  for (const Picture& p : pictures) {
    const QString path = InFolder(QString::fromUtf8(p.name));
    Make(p.noise, path);
    ASSERT_EQ(std::system(("touch -d '" + std::string(p.date) + "' " + Quoted(path)).c_str()), 0);
  }
  List();
  QTreeWidget* files = window_->lvFolder;
  const auto names = [](QTreeWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i) texts << list->topLevelItem(i)->text(0);
    return texts;
  };
  const auto click = [](QTreeWidget* list, int column) {
    emit list->header()->sectionClicked(column);
  };
  enum { kSize = 2, kModified = 6 };
  click(files, kSize);
  EXPECT_EQ(names(files), QStringList({"photo9.png", "photo100.png", "Photo10.png"}));
  click(files, kModified);
  EXPECT_EQ(names(files), QStringList({"photo100.png", "Photo10.png", "photo9.png"}));
  click(files, kModified);
  EXPECT_EQ(names(files), QStringList({"photo9.png", "Photo10.png", "photo100.png"}));
  click(files, 0);
  EXPECT_EQ(names(files), QStringList({"photo9.png", "Photo10.png", "photo100.png"}));

  files->selectAll();
  window_->findChild<QPushButton*>(QStringLiteral("cmdAddToQueue"))->click();
  QTreeWidget* basket = window_->lvPages;
  click(basket, kSize);
  EXPECT_EQ(names(basket), QStringList({"photo9", "photo100", "Photo10"}));
  click(basket, 0);
  EXPECT_EQ(names(basket), QStringList({"photo9", "Photo10", "photo100"}));
}

}  // namespace
