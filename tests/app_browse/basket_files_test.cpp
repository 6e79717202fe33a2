// The basket and task basket files: the record reader against hand-written files, byte-exact
// files we write, and the open routines that must leave the lists alone when a file is bad.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <fstream>
#include <functional>
#include <string>

#include "app/browse/basket_files.h"
#include "app/browse/cls_file.h"
#include "app/shell/errors.h"
#include "tests/app_shell/modal_helper.h"

namespace {

using namespace browse;

class BasketFiles : public ::testing::Test {
 protected:
  QString PathOf(const QString& name) const { return dir_.filePath(name); }
  QString Write(const QString& name, const QByteArray& bytes) const {
    QFile file(PathOf(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return file.fileName();
  }
  QByteArray Bytes(const QString& path) const {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
  }
  // A real image file the basket can find.
  QString Touch(const QString& name) const { return Write(name, "image"); }

  QTemporaryDir dir_;
};

// Closes the error report a bad file raises; the routine it named stays in gstrErrorRoutine.
void DismissNextReport() {
  shell::gstrErrorRoutine.clear();
  WhenModalOpens([](QDialog* dialog) {
    QTest::mouseClick(dialog->findChild<QPushButton*>("cmdCancel"), Qt::LeftButton);
  });
}

// ---- The record reader ------------------------------------------------------------------------

TEST_F(BasketFiles, RecordReaderTable) {
  struct Case {
    const char* name;
    QByteArray bytes;
    int fields;
    QStringList expected;
  } cases[] = {
      {"quoted with trailing junk", "\"a b\"junk ,\"c\"\r\n", 2, {"a b", "c"}},
      {"unquoted trimmed", "   plain text   ,x  \r\n", 2, {"plain text", "x"}},
      {"comma inside quotes", "\"a,b\",\"c\"\r\n", 2, {"a,b", "c"}},
      {"doubled quote", "\"say \"\"hi\"\"\",x\r\n", 2, {"say \"hi\"", "x"}},
      {"bare quote cuts as before", "\"a\"b\",x\r\n", 2, {"a", "x"}},
      {"short record continued", "\"a\",\"b\"\r\n\"c\"\r\n", 3, {"a", "b", "c"}},
      {"LF-only lines", "\"a\"\n\"b\"\n", 2, {"a", "b"}},
      {"empty fields", "\"\",,\"\"\r\n", 3, {"", "", ""}},
      {"Windows-1252 bytes",
       "\"caf\xe9 \x80 \x93q\x94\"\r\n",
       1,
       {QString::fromUtf8("caf\u00e9 \u20ac \u201cq\u201d")}},
      {"UTF-8 bytes", "\"caf\xc3\xa9\"\r\n", 1, {QString::fromUtf8("caf\u00e9")}},
  };
  for (const Case& c : cases) {
    clsFile file;
    ASSERT_TRUE(file.OpenForRead(Write("r.txt", c.bytes))) << c.name;
    EXPECT_EQ(file.readRecord(c.fields), c.expected) << c.name;
    EXPECT_TRUE(file.fEof()) << c.name;
  }
}

TEST_F(BasketFiles, ReadingPastTheEndRaises) {
  clsFile file;
  ASSERT_TRUE(file.OpenForRead(Write("short.txt", "\"a\"\r\n")));
  try {
    (void)file.readRecord(2);
    FAIL() << "no error";
  } catch (const shell::AppError& e) {
    EXPECT_EQ(e.Number(), kErrInputPastEnd);
    EXPECT_STREQ(e.what(), "Input past end of file");
  }
}

TEST_F(BasketFiles, NothingOpenReadsNothing) {
  clsFile file;
  EXPECT_TRUE(file.fEof());
  EXPECT_EQ(file.readLine(), "");
  EXPECT_TRUE(file.readRecord(3).isEmpty());
  EXPECT_FALSE(file.OpenForRead(PathOf("missing.ibf")));
  EXPECT_TRUE(file.ErrorFlag());
  EXPECT_FALSE(file.ErrorText().isEmpty());
}

// The process's peak of address space, in kB.
int64_t VirtualPeakKb() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmPeak:", 0) == 0) return std::stoll(line.substr(7));
  return -1;
}

// How far work raises the peak of address space, in MB (at most 255): run in a child process,
// whose peak starts at what it holds.
int PeakGrowthMb(const std::function<void()>& work) {
  const pid_t child = fork();
  if (child == 0) {
    const int64_t before = VirtualPeakKb();
    work();
    _exit(static_cast<int>(std::clamp<int64_t>((VirtualPeakKb() - before) / 1024, 0, 255)));
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 255;
}

TEST_F(BasketFiles, OpeningTakesMemoryForWhatTheFileHoldsUpToTheLimit) {
  const QString small = Write("small.ibf", "\"/pictures/a.jpg\"\r\n");
  EXPECT_LT(PeakGrowthMb([&] {
              clsFile file;
              if (!file.OpenForRead(small) || file.readLine() != "\"/pictures/a.jpg\"") _exit(255);
            }),
            4);

  const QByteArray full(kMaxRecordFileBytes, 'x');
  clsFile at_limit;
  ASSERT_TRUE(at_limit.OpenForRead(Write("full.ibf", full)));
  EXPECT_EQ(at_limit.readLine().size(), kMaxRecordFileBytes);
  clsFile over_limit;
  EXPECT_FALSE(over_limit.OpenForRead(Write("over.ibf", full + "x")));
  EXPECT_EQ(over_limit.ErrorText(), "File too large");
}

TEST_F(BasketFiles, APipeOrADeviceIsRefusedWithoutBeingOpened) {
  ASSERT_EQ(mkfifo(PathOf("pipe.ibf").toUtf8().constData(), 0600), 0);
  for (const QString& path : {PathOf("pipe.ibf"), QStringLiteral("/dev/zero")}) {
    clsFile file;
    EXPECT_FALSE(file.OpenForRead(path)) << path.toStdString();
    EXPECT_EQ(file.ErrorText(), QFileInfo(path).fileName() + " is not a regular file");
  }
}

// ---- Image basket files -----------------------------------------------------------------------

BasketItem Row(const QString& text, const QString& tag, const QString& path) {
  BasketItem row;
  row.Text = text;
  row.Tag = tag;
  row.Path = path;
  return row;
}

QList<BasketItem> ThreePagesAndAJpeg(const QString& tiff, const QString& jpeg) {
  QList<BasketItem> rows;
  for (int page = 1; page <= 3; ++page)
    rows.append(Row(QStringLiteral("scan%1").arg(page), "/tmp/page.tif", tiff));
  rows.append(Row("a b", jpeg, jpeg));
  return rows;
}

TEST_F(BasketFiles, PagesOfOneFileSaveOneLineTiffFirst) {
  QString name = PathOf("basket");
  ASSERT_TRUE(fncSaveImageBasket(kBasketPaths, name,
                                 ThreePagesAndAJpeg("/photos/scan.tif", "/photos/say \"x\".jpg")));
  EXPECT_EQ(name, PathOf("basket.ibf"));
  EXPECT_EQ(Bytes(name), "\"/photos/scan.tif\"\r\n\"/photos/say \"\"x\"\".jpg\"\r\n");

  QString described = PathOf("basket");
  ASSERT_TRUE(
      fncSaveImageBasket(kBasketDescribed, described, ThreePagesAndAJpeg("/p/s.tif", "/p/a.jpg")));
  EXPECT_EQ(described, PathOf("basket.ibd"));
  EXPECT_EQ(Bytes(described), "\"/p/s.tif\",\"\"\r\n\"/p/a.jpg\",\"\"\r\n");
}

TEST_F(BasketFiles, ExtensionAppendedUnlessPresentInAnyCase) {
  struct Case {
    int kind;
    const char* given;
    const char* saved;
  } cases[] = {{kBasketPaths, "basket", "basket.ibf"},
               {kBasketPaths, "basket.IBF", "basket.IBF"},
               {kBasketPaths, "basket.ibd", "basket.ibd.ibf"},
               {kBasketDescribed, "list.Ibd", "list.Ibd"},
               {kBasketDescribed, "list", "list.ibd"}};
  for (const Case& c : cases) {
    QString name = PathOf(c.given);
    EXPECT_TRUE(fncSaveImageBasket(c.kind, name, ThreePagesAndAJpeg("/a.tif", "/b.jpg")));
    EXPECT_EQ(name, PathOf(c.saved)) << c.given;
    EXPECT_TRUE(QFile::exists(name)) << c.given;
  }
}

TEST_F(BasketFiles, EmptyBasketOrUnwritablePathSavesNothing) {
  QString name = PathOf("empty");
  EXPECT_FALSE(fncSaveImageBasket(kBasketPaths, name, {}));
  EXPECT_TRUE(QDir(dir_.path()).isEmpty());

  // Runs through a regular file, so even root cannot create it.
  const QString blocker = Touch("blocker");
  QString through = blocker + "/basket.ibf";
  EXPECT_FALSE(fncSaveImageBasket(kBasketPaths, through, ThreePagesAndAJpeg("/a", "/b")));
}

// Stands in for the basket list: records what the opener does to it.
class RecordingBasket : public BasketFiller {
 public:
  void ClearBasket() override {
    added.clear();
    ++clears;
  }
  void subAddEntryToListView(const QString& path) override { added.append(path); }
  void StartProgress(int count) override { starts.append(count); }
  bool ShowProgress(int done, int count) override {
    progress.append({done, count});
    return done != cancelAfter;
  }
  void HideProgress() override { ++hides; }

  QStringList added{"kept row"};
  QList<int> starts;
  QList<std::pair<int, int>> progress;
  int clears = 0, hides = 0, cancelAfter = -1;
};

TEST_F(BasketFiles, OpenAddsExistingFilesAndSkipsMissingOnes) {
  const QString a = Touch("a.jpg"), c = Touch("c d.tif");
  const QString file =
      Write("b.ibf", "  \"" + a.toUtf8() + "\"  \r\n\"" + PathOf("gone.png").toUtf8() + "\"\r\n\"" +
                         c.toUtf8() + "\"\n");
  RecordingBasket basket;
  ASSERT_TRUE(fncOpenImageBasket(file, basket));
  EXPECT_EQ(basket.clears, 1);
  EXPECT_EQ(basket.added, QStringList({a, c}));
  EXPECT_EQ(basket.starts, QList<int>{3});
  EXPECT_EQ(basket.progress, (QList<std::pair<int, int>>{{1, 3}, {2, 3}, {3, 3}}));
  EXPECT_EQ(basket.hides, 1);
}

TEST_F(BasketFiles, DescribedBasketReopensItsPaths) {
  const QList<BasketItem> rows = ThreePagesAndAJpeg(Touch("s, 1.tif"), Touch("a \"b\".jpg"));
  QString name = PathOf("described");
  ASSERT_TRUE(fncSaveImageBasket(kBasketDescribed, name, rows));
  RecordingBasket basket;
  ASSERT_TRUE(fncOpenImageBasket(name, basket));
  EXPECT_EQ(basket.added, QStringList({rows[0].Path, rows[3].Path}));
}

TEST_F(BasketFiles, LineReaderDropsFirstAndLastCharacter) {
  const QString file = Write("plain.ibf", "x" + PathOf("a.jpg").toUtf8() + "y\r\n");
  Touch("a.jpg");
  EXPECT_EQ(ReadImageBasketPaths(file), QStringList{PathOf("a.jpg")});
}

TEST_F(BasketFiles, CancelStopsAfterTheCurrentFile) {
  QByteArray lines;
  for (int i = 0; i < 20; ++i)
    lines += "\"" + Touch(QStringLiteral("f%1.jpg").arg(i)).toUtf8() + "\"\r\n";
  RecordingBasket basket;
  basket.cancelAfter = 5;
  ASSERT_TRUE(fncOpenImageBasket(Write("twenty.ibf", lines), basket));
  EXPECT_EQ(basket.added.size(), 5);
  EXPECT_EQ(basket.added.back(), PathOf("f4.jpg"));
  EXPECT_EQ(basket.hides, 1);
}

TEST_F(BasketFiles, BadOrMissingBasketFileLeavesTheBasket) {
  RecordingBasket basket;
  shell::gstrErrorRoutine.clear();
  EXPECT_FALSE(fncOpenImageBasket(PathOf("missing.ibf"), basket));
  EXPECT_EQ(shell::gstrErrorRoutine, "") << "a missing file is not reported";

  DismissNextReport();
  EXPECT_FALSE(fncOpenImageBasket(Write("bad.ibf", "\"/a.jpg\"\r\nx\r\n"), basket));
  EXPECT_EQ(shell::gstrErrorRoutine, "modSaveOpenImageList.fncOpenImageBasket");
  EXPECT_EQ(basket.clears, 0);
  EXPECT_EQ(basket.added, QStringList{"kept row"});
}

// ---- Task basket files ------------------------------------------------------------------------

tasks::TaskList EveryTask() {
  tasks::TaskList list;
  for (int32_t id = tasks::tskOrientation; id <= tasks::tskShadow; ++id) {
    tasks::EditingTask task = tasks::NewEditingTask(id);
    for (int n = 1; n <= tasks::kParameterCount; ++n)
      task.Param(n) = QStringLiteral("%1.%2").arg(id).arg(n);
    list.Append(task);
  }
  return list;
}

TEST_F(BasketFiles, TaskRecordIsNineteenQuotedFields) {
  tasks::EditingTask text = tasks::NewEditingTask(tasks::tskText);
  text.p1 = "Hello, \"world\"";
  text.p17 = "-1";
  tasks::TaskList list;
  list.Append(text);
  QString name = PathOf("tasks");
  ASSERT_TRUE(fncSaveTaskBasket(name, list));
  EXPECT_EQ(name, PathOf("tasks.tbf"));
  EXPECT_EQ(Bytes(name),
            "\"10\",\"text\",\"Hello, \"\"world\"\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\","
            "\"\",\"\",\"\",\"\",\"\",\"\",\"-1\"\r\n");
}

TEST_F(BasketFiles, EveryTaskRoundTripsWithCommaAndQuote) {
  tasks::TaskList saved = EveryTask();
  tasks::EditingTask text = tasks::NewEditingTask(tasks::tskText);
  text.p1 = "a, \"quoted\" text";
  saved.Append(text);
  QString name = PathOf("all.TBF");
  ASSERT_TRUE(fncSaveTaskBasket(name, saved));
  EXPECT_EQ(name, PathOf("all.TBF"));

  tasks::TaskList opened;
  opened.Append(tasks::NewEditingTask(tasks::tskBlur));
  ASSERT_TRUE(fncOpenTaskBasket(name, opened));
  EXPECT_EQ(opened.Rows(), saved.Rows());
}

TEST_F(BasketFiles, EmptyTaskListSavesNothing) {
  QString name = PathOf("none");
  EXPECT_FALSE(fncSaveTaskBasket(name, tasks::TaskList()));
  EXPECT_TRUE(QDir(dir_.path()).isEmpty());
}

TEST_F(BasketFiles, BadTaskBasketLeavesTheList) {
  QString good = PathOf("good");
  ASSERT_TRUE(fncSaveTaskBasket(good, EveryTask()));
  const QByteArray valid = Bytes(good);
  struct Case {
    const char* name;
    QByteArray bytes;
  } cases[] = {{"id not a number", valid + "\"abc\",\"x\"" + QByteArray(17, ',') + "\r\n"},
               {"cut short", valid + "\"1\",\"flip\",\"3\"\r\n"}};
  // The caller's message is the only word on a bad file: an error report would be closed here.
  int reports = 0;
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&reports] {
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      ++reports;
      dialog->reject();
    }
  });
  closer.start(5);
  for (const Case& c : cases) {
    tasks::TaskList list;
    list.Append(tasks::NewEditingTask(tasks::tskCrop));
    list.SetStopRow(tasks::StopView::Explorer, 0);
    const QList<tasks::TaskRow> before = list.Rows();
    shell::gstrErrorRoutine.clear();
    EXPECT_FALSE(fncOpenTaskBasket(Write("bad.tbf", c.bytes), list)) << c.name;
    EXPECT_EQ(shell::gstrErrorRoutine, QString()) << c.name;
    EXPECT_EQ(reports, 0) << c.name;
    EXPECT_EQ(list.Rows(), before) << c.name;
    EXPECT_EQ(list.StopRow(tasks::StopView::Explorer), 0) << c.name;
  }
  tasks::TaskList list = EveryTask();
  EXPECT_FALSE(fncOpenTaskBasket(PathOf("missing.tbf"), list));
  EXPECT_EQ(list.Count(), 15);
}

TEST_F(BasketFiles, ShortTaskRecordTakesTheNextLine) {
  const QString name =
      Write("split.tbf", "\"6\",\"brightness\",\"12\"\r\n" + QByteArray(15, ',') + "\"last\"\r\n");
  tasks::TaskList list;
  ASSERT_TRUE(fncOpenTaskBasket(name, list));
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Row(0).Text, "6");
  EXPECT_EQ(list.Row(0).p1, "12");
  EXPECT_EQ(list.Row(0).p17, "last");
}

}  // namespace
