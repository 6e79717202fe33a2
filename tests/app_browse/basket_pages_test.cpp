// The temporary page files: their names, that no draw overwrites another page, and that a new
// basket deletes exactly them.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include "app/browse/basket_pages.h"
#include "app/shell/main_window.h"

namespace {

using namespace browse;

class BasketPages : public ::testing::Test {
 protected:
  void SetUp() override { qputenv("XDG_CACHE_HOME", cache_.path().toUtf8()); }
  void TearDown() override { qunsetenv("XDG_CACHE_HOME"); }
  QTemporaryDir cache_;
};

TEST_F(BasketPages, NamesAreStemPageRandomTif) {
  const QString folder = cache_.path() + "/VelmoraJPEG2000B/temp/";
  const QRegularExpression name(R"(^scan\.tif([123])_(\d{1,4})\.tif$)");
  for (int page = 1; page <= 3; ++page) {
    const QString path = CreatePageFile("scan.tif", page);
    ASSERT_TRUE(path.startsWith(folder)) << path.toStdString();
    const auto match = name.match(path.mid(folder.size()));
    ASSERT_TRUE(match.hasMatch()) << path.toStdString();
    EXPECT_EQ(match.captured(1).toInt(), page);
    EXPECT_LE(match.captured(2).toInt(), 9998);
    EXPECT_TRUE(QFile::exists(path));
  }
}

TEST_F(BasketPages, ATakenNameIsDrawnAgain) {
  // 300 draws from 9999 names collide with near certainty; each must still get its own file.
  QSet<QString> paths;
  for (int i = 0; i < 300; ++i) {
    const QString path = CreatePageFile("scan", 1);
    ASSERT_FALSE(path.isEmpty());
    paths.insert(path);
  }
  EXPECT_EQ(paths.size(), 300);
  EXPECT_EQ(QDir(shell::TempFolder()).entryList(QDir::Files).size(), 300);
}

TEST_F(BasketPages, NewBasketDeletesOnlyPageFiles) {
  const QString page = CreatePageFile("a", 2);
  ASSERT_FALSE(page.isEmpty());
  const QString other = shell::TempFolder() + "/keep.png";
  const QString upper = shell::TempFolder() + "/OLD.TIF";
  for (const QString& path : {other, upper}) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  DeletePageFiles();
  EXPECT_FALSE(QFile::exists(page));
  EXPECT_FALSE(QFile::exists(upper));
  EXPECT_TRUE(QFile::exists(other));
}

TEST_F(BasketPages, NoFolderNoPageFile) {
  // The cache folder runs through a regular file, so even root cannot create the temp folder.
  QFile blocker(cache_.filePath("blocker"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  qputenv("XDG_CACHE_HOME", blocker.fileName().toUtf8());
  EXPECT_EQ(CreatePageFile("scan", 1), "");
  DeletePageFiles();  // a missing folder is no error
}

}  // namespace
