#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app/shell/errors.h"
#include "app/shell/paths.h"
#include "recording_ui.h"

namespace {

using namespace shell;

TEST(PathPieces, ExtensionFolderAndRemovedExtension) {
  struct Case {
    QString path, extension, folder;
  };
  const Case cases[] = {
      {"/a.b/name", "b/name", "/a.b/"}, {"name.tar.gz", "gz", ""},  {"README", "README", ""},
      {"name.txt", "txt", ""},          {"/x/y.jpg", "jpg", "/x/"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(fncGetFileExtension(c.path), c.extension) << c.path.toStdString();
    EXPECT_EQ(fncGetFolderPart(c.path), c.folder) << c.path.toStdString();
  }
  EXPECT_EQ(fncRemoveExtension("name.tar.gz"), "name.tar");
  EXPECT_EQ(fncRemoveExtension("/x/y.jpg"), "/x/y");
  try {
    fncRemoveExtension("README");
    ADD_FAILURE() << "a name without a point must raise";
  } catch (const AppError& e) {
    EXPECT_EQ(e.Number(), 5);
    EXPECT_STREQ(e.what(), "Invalid procedure call or argument");
  }
}

TEST(PathPieces, TrailingSlashChangesTheCallersText) {
  struct Case {
    QString path, result, afterwards;
  };
  const Case cases[] = {
      {"", "", ""},          {"   ", "", "   "},       {"/x", "/x/", "/x/"},
      {"/x/", "/x/", "/x/"}, {"/x/ ", "/x/ ", "/x/ "},
  };
  for (const Case& c : cases) {
    QString path = c.path;
    EXPECT_EQ(fncAddTrailingBackslash(path), c.result) << c.path.toStdString();
    EXPECT_EQ(path, c.afterwards) << c.path.toStdString();
  }
}

class FolderTest : public ::testing::Test {
 protected:
  QString In(const QString& name) const { return dir_.filePath(name); }
  void MakeFile(const QString& name) const {
    QFile file(In(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  QTemporaryDir dir_;
  RecordingUi ui_;
};

TEST_F(FolderTest, CreatesMissingParentsAndAcceptsAnExistingFolder) {
  const QString deep = In("cache/VelmoraJPEG2000B/temp");
  EXPECT_TRUE(subCreateFolder(deep));
  struct stat st {};
  ASSERT_EQ(::stat(deep.toLocal8Bit().constData(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_TRUE(subCreateFolder(deep));
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(FolderTest, ReportsAFolderThatCannotBeMadeOnceAndFails) {
  MakeFile("plain");
  EXPECT_FALSE(subCreateFolder(In("plain/sub")));
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "Error creating directory");
}

TEST_F(FolderTest, ExistenceOfFilesFoldersAndHiddenFiles) {
  MakeFile("photo.jpg");
  MakeFile(".hidden");
  ASSERT_TRUE(QDir(dir_.path()).mkdir("folder"));
  struct Case {
    QString path;
    bool file, path_, pathWithFolders;
  };
  const Case cases[] = {
      {In("photo.jpg"), true, true, true},  {In("*.jpg"), true, true, true},
      {In("ph?to.jpg"), true, true, true},  {In("*.png"), false, false, false},
      {In(".hidden"), false, true, true},   {In("folder"), false, false, true},
      {In("missing"), false, false, false}, {"   ", false, false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(fncFileExists(c.path), c.file) << c.path.toStdString();
    EXPECT_EQ(fncPathExists(c.path, false), c.path_) << c.path.toStdString();
    EXPECT_EQ(fncPathExists(c.path, true), c.pathWithFolders) << c.path.toStdString();
  }
}

}  // namespace
