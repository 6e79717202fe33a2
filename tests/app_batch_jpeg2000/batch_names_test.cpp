// Output folders, counters and composed names of the batch conversion, without a control.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include "app/output/batch_jpeg2000.h"
#include "app/output/batch_names.h"
#include "app/output/encode_queue.h"
#include "app/shell/errors.h"

namespace {

using output::ComposeOutputPath;
using output::CounterOf;

TEST(BatchCounter, StartsOfEachFormAndTheirLimits) {
  struct Case {
    const char* start;
    int32_t position;
    int32_t counter;
  } cases[] = {{"[Starting 1]", 1, 1},
               {"[Starting 1]", 40000, 40000},
               {"[Starting 1001]", 1, 1001},
               {"[Starting 1001]", 3, 1003},
               {"7", 1, 7},
               {"7", 3, 9},
               {" 40000 ", 2, 40001},
               {"-5", 1, -5}};
  for (const Case& c : cases)
    EXPECT_EQ(CounterOf(QString::fromUtf8(c.start), c.position), c.counter) << c.start;
  struct Fault {
    const char* start;
    int32_t position;
    const char* message;
  } faults[] = {{"seven", 1, "Type mismatch"},
                {"", 1, "Type mismatch"},
                {"2147483647", 2, "Overflow"},
                {"9999999999", 1, "Overflow"}};
  for (const Fault& f : faults) {
    try {
      CounterOf(QString::fromUtf8(f.start), f.position);
      ADD_FAILURE() << f.start << " gave a counter";
    } catch (const shell::AppError& e) {
      EXPECT_STREQ(e.what(), f.message) << f.start;
    }
  }
}

TEST(BatchFolder, ChosenFolderTrimmedOrTheEntrysOwnFolder) {
  output::BatchOptions options;
  options.DestinationFolder = QStringLiteral("  /out/here ");
  options.DestinationMode = 1;
  EXPECT_EQ(output::OutputFolder(options, "/pics/a.png"), "/out/here/");
  options.DestinationFolder = QStringLiteral("/out/");
  EXPECT_EQ(output::OutputFolder(options, "/pics/a.png"), "/out/");
  options.DestinationMode = 0;
  EXPECT_EQ(output::OutputFolder(options, "/pics/sub/a.png"), "/pics/sub/");
  options.Jpeg2000Format = 0;
  EXPECT_EQ(output::OutputExtension(options), "jp2");
  options.Jpeg2000Format = 3;
  EXPECT_EQ(output::OutputExtension(options), "jpc");
}

TEST(BatchNames, HostilePartsStayInsideTheFolder) {
  const QString folder = QStringLiteral("/out/");
  struct Case {
    QStringList parts;
    QString name;
  } cases[] = {
      {{"photo"}, "photo.jp2"},
      {{"../x"}, ".._x.jp2"},
      {{"../../etc/x"}, ".._.._etc_x.jp2"},
      {{"a/b"}, "a_b.jp2"},
      {{".."}, "_.jp2"},
      {{"."}, "_.jp2"},
      {{""}, "_.jp2"},
      {{"", "", ""}, "_.jp2"},
      {{".", "."}, "_.jp2"},
      {{QString("a") + QChar(0) + "b"}, "a_b.jp2"},
      {{"line\nbreak\r\ttab"}, "line_break__tab.jp2"},
      {{"pre", "/", "..", "/", "suf"}, "pre_.._suf.jp2"},
      {{"caf\u00e9"}, "caf\u00e9.jp2"},
  };
  for (const Case& c : cases) {
    const std::optional<QString> path = ComposeOutputPath(folder, c.parts, "jp2");
    ASSERT_TRUE(path) << c.parts.join('|').toStdString();
    EXPECT_EQ(*path, folder + c.name) << c.parts.join('|').toStdString();
    EXPECT_EQ(QFileInfo(*path).path(), "/out");
  }
  EXPECT_EQ(ComposeOutputPath("/out", {"x"}, "jpc"), QString("/out/x.jpc"));
  // An empty folder would make the name relative to wherever the program runs.
  EXPECT_FALSE(ComposeOutputPath("", {"x"}, "jp2"));
}

TEST(BatchNames, LongStemsAreCutAtCharacterBoundariesToFitTheNameLimit) {
  const QString folder = QStringLiteral("/out/");
  // 300 bytes of ASCII, of two-byte, three-byte and four-byte characters.
  for (const QString& unit : {QString("a"), QString("\u00e9"), QString("\u20ac"),
                              QString::fromUtf8("\xF0\x9F\x98\x80")}) {
    const QString stem = unit.repeated(300 / unit.toUtf8().size());
    const std::optional<QString> path = ComposeOutputPath(folder, {stem}, "jp2");
    ASSERT_TRUE(path);
    const QString name = QFileInfo(*path).fileName();
    const QByteArray bytes = name.toUtf8();
    EXPECT_LE(bytes.size(), output::kLongestFileName) << unit.toStdString();
    EXPECT_GT(bytes.size(), output::kLongestFileName - unit.toUtf8().size());
    EXPECT_TRUE(name.endsWith(".jp2"));
    // Whole characters only: the bytes read back to the same text.
    EXPECT_EQ(QString::fromUtf8(bytes), name);
    EXPECT_TRUE(stem.startsWith(name.chopped(4)));
  }
}

TEST(EncodeWorkers, CoresAreSharedAmongTheImagesTheBudgetAdmits) {
  constexpr size_t kPhoto = size_t{4000} * 3000 * 3;
  struct Case {
    int workers;
    size_t budget, bytes;
    int threads;
  } cases[] = {
      {8, output::EncodeQueue::kPixelBudget, kPhoto, 2},  // five photos, ten threads
      {8, 4 * kPhoto, kPhoto, 2},
      {8, 8 * kPhoto, kPhoto, 1},
      {8, kPhoto, 40 * 30 * 3, 1},  // small images: one thread each, all cores busy
      {8, kPhoto, 10 * kPhoto, 8},  // beyond the budget: alone, with every core
      {1, kPhoto, kPhoto, 1},
      {6, 4 * kPhoto, kPhoto, 2},
  };
  for (const Case& c : cases) {
    output::EncodeQueue queue(c.workers, c.budget, {});
    EXPECT_EQ(queue.ThreadsFor(c.bytes), c.threads)
        << c.workers << " workers, " << c.budget / kPhoto << " photos";
  }
}

TEST(BatchSummary, CountsEachOutcomeAndListsTheFirstReasons) {
  using modJPEG2000Common::BatchTally;
  const QStringList seven = {"a: r1", "b: r2", "c: r3", "d: r4", "e: r5", "f: r6", "g: r7"};
  struct Case {
    BatchTally tally;
    const char* summary;
  } cases[] = {
      {{4, 3, 1, {}, false}, "3 converted, 1 skipped (exists), 0 failed"},
      {{5, 2, 0, {"a: unreadable", "b c: taken"}, false},
       "2 converted, 0 skipped (exists), 2 failed\n1 not converted: the run stopped at an "
       "error.\n\na: unreadable\nb c: taken"},
      {{9, 1, 0, {}, true},
       "1 converted, 0 skipped (exists), 0 failed\n8 not converted: the run "
       "was cancelled."},
      {{7, 0, 0, seven, false},
       "0 converted, 0 skipped (exists), 7 failed\n\na: r1\nb: r2\nc: r3\nd: r4\ne: r5\nand 2 "
       "more"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(modJPEG2000Common::BatchSummary(c.tally), QString::fromUtf8(c.summary));
}

}  // namespace
