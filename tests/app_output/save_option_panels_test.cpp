#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFile>
#include <QFocusEvent>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include "app/output/save_option_panels.h"
#include "app/shell/dialogs.h"
#include "app/shell/errors.h"
#include "app/shell/settings.h"
#include "app_shell/modal_helper.h"

namespace {

using output::frmSaveDialogExtensionAllFormats;

auto& Formats() {
  return shell::gSetup.SaveFormatOptions.Formats;
}

void Focus(QWidget* box, QEvent::Type type) {
  QFocusEvent event(type, Qt::OtherFocusReason);
  QApplication::sendEvent(box, &event);
}

// Replaces the box's text by typing, as the user would after selecting it.
void Type(QLineEdit* box, const QString& keys) {
  Focus(box, QEvent::FocusIn);
  box->selectAll();
  QTest::keyClicks(box, keys);
}

void Leave(QLineEdit* box) {
  Focus(box, QEvent::FocusOut);
}

QRgb ButtonColour(const QPushButton* button) {
  return button->palette().color(QPalette::Button).rgb();
}

class SaveOptionPanelsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QCoreApplication::setApplicationName("VelmoraJPEG2000B");
    shell::gSetup = shell::DefaultSetupRecord();
  }
};

TEST_F(SaveOptionPanelsTest, FormOpensWithEveryPanelHiddenAtOneSpot) {
  frmSaveDialogExtensionAllFormats form;
  EXPECT_EQ(form.size(), QSize(406, 103));
  for (QFrame* panel : {form.picFrameGIF, form.picFramePNG, form.picFrameJPG, form.picFrameJPG2000,
                        form.picFrameTiff}) {
    EXPECT_TRUE(panel->isHidden());
    EXPECT_EQ(panel->geometry(), QRect(8, 0, 400, 70));
    EXPECT_EQ(panel->frameShape(), QFrame::NoFrame);
  }
  EXPECT_TRUE(form.picFrameTiffOnly->isHidden());
  QStringList compressions;
  for (int i = 0; i < form.cboTIFFCompression->count(); ++i)
    compressions << form.cboTIFFCompression->itemText(i);
  EXPECT_EQ(compressions, QStringList({"None", "Packbits", "CCITT Group 4 Fax", "CCITT Group 3 Fax",
                                       "LZW", "JPEG", "Deflate"}));
  EXPECT_EQ(form.cboAppendMode->itemText(1), "End of file");
  EXPECT_EQ(form.cboOutputMode->itemText(1), "New File");
}

TEST_F(SaveOptionPanelsTest, NonDefaultRecordShowsEveryValue) {
  Formats().Gif = {1, 1, 0x0000FF, 0};
  Formats().Png = {1, 1, 0x00FF00};
  Formats().Jpeg = {1, 37, 1};
  Formats().Jpeg2000 = {0, 7};
  Formats().Tiff.Compression = 5;
  shell::gSetup.SaveFormatOptions.AppendMode = 1;
  shell::gSetup.SaveFormatOptions.OutputMode = 1;
  frmSaveDialogExtensionAllFormats form;

  EXPECT_TRUE(form.optGIFCompression[1]->isChecked());
  EXPECT_TRUE(form.chkGIFTransparent->isChecked());
  EXPECT_FALSE(form.cmdGIFTransparentColor->isHidden());
  EXPECT_EQ(ButtonColour(form.cmdGIFTransparentColor), qRgb(255, 0, 0));
  EXPECT_TRUE(form.optPNGColorDepth[1]->isChecked());
  EXPECT_TRUE(form.chkPNGTransparent->isChecked());
  EXPECT_EQ(ButtonColour(form.cmdPNGtransprentColor), qRgb(0, 255, 0));
  EXPECT_EQ(form.sldJPGQuality->value(), 37);
  EXPECT_EQ(form.txtJPGQuality->text(), "37");
  EXPECT_EQ(form.txtJPGQualityD->value(), 37);
  EXPECT_TRUE(form.optJPGEncoding[1]->isChecked());
  EXPECT_TRUE(form.optJPGColorDepth[1]->isChecked());
  EXPECT_TRUE(form.optJPG2000Compression[0]->isChecked());
  EXPECT_TRUE(form.picFrameJPG2000Lossy->isHidden());
  EXPECT_EQ(form.sldJPEG2000Compression->value(), 7);
  EXPECT_EQ(form.txtJPG2000Compression->text(), "7");
  EXPECT_EQ(form.txtJPG2000CompressionD->value(), 7);
  EXPECT_EQ(form.cboTIFFCompression->currentIndex(), 5);
  EXPECT_EQ(form.cboAppendMode->currentIndex(), 1);
  EXPECT_EQ(form.cboOutputMode->currentIndex(), 1);
}

TEST_F(SaveOptionPanelsTest, DefaultRecordHidesTheColourButtonsAndShowsTheRateTrio) {
  frmSaveDialogExtensionAllFormats form;
  EXPECT_TRUE(form.cmdGIFTransparentColor->isHidden());
  EXPECT_TRUE(form.cmdPNGtransprentColor->isHidden());
  EXPECT_FALSE(form.picFrameJPG2000Lossy->isHidden());
  EXPECT_EQ(form.txtJPGQuality->text(), "80");
  EXPECT_EQ(form.txtJPG2000Compression->text(), "20");
}

TEST_F(SaveOptionPanelsTest, OptionsAndListsStoreTheirIndexAtOnce) {
  frmSaveDialogExtensionAllFormats form;
  form.optGIFCompression[1]->click();
  form.optPNGColorDepth[1]->click();
  form.optJPGEncoding[1]->click();
  form.optJPGColorDepth[1]->click();
  form.cboTIFFCompression->setCurrentIndex(3);
  emit form.cboTIFFCompression->activated(3);
  EXPECT_EQ(Formats().Gif.Compression, 1);
  EXPECT_EQ(Formats().Png.ColorDepth, 1);
  EXPECT_EQ(Formats().Jpeg.Encoding, 1);
  EXPECT_EQ(Formats().Jpeg.ColorDepth, 1);
  EXPECT_EQ(Formats().Tiff.Compression, 3);
  form.optJPGEncoding[0]->click();
  EXPECT_EQ(Formats().Jpeg.Encoding, 0);
}

struct ClampCase {
  const char* typed;
  int stored;
};

class QualityBoxTest : public SaveOptionPanelsTest,
                       public ::testing::WithParamInterface<ClampCase> {};

TEST_P(QualityBoxTest, LeavingTheBoxClampsIntoTheSliderRangeAndStores) {
  frmSaveDialogExtensionAllFormats form;
  Type(form.txtJPGQuality, QString::fromLatin1(GetParam().typed));
  Leave(form.txtJPGQuality);
  EXPECT_EQ(form.txtJPGQuality->text(), QString::number(GetParam().stored));
  EXPECT_EQ(form.sldJPGQuality->value(), GetParam().stored);
  EXPECT_EQ(form.txtJPGQualityD->value(), GetParam().stored);
  EXPECT_EQ(Formats().Jpeg.Quality, GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(Typed, QualityBoxTest,
                         ::testing::Values(ClampCase{"250", 100}, ClampCase{"0", 1},
                                           ClampCase{"55", 55}, ClampCase{"a4x2", 42},
                                           ClampCase{"1000", 100}));

TEST_F(SaveOptionPanelsTest, BoxAcceptsDigitsOnlyAndAtMostItsLength) {
  frmSaveDialogExtensionAllFormats form;
  Type(form.txtJPG2000Compression, "x1-9.5");
  EXPECT_EQ(form.txtJPG2000Compression->text(), "19");
  Type(form.txtJPGQuality, "+7e");
  EXPECT_EQ(form.txtJPGQuality->text(), "7");
}

TEST_F(SaveOptionPanelsTest, EmptiedRateBoxShowsTheStoredRateSelected) {
  Formats().Jpeg2000.Rate = 13;
  frmSaveDialogExtensionAllFormats form;
  Focus(form.txtJPG2000Compression, QEvent::FocusIn);
  form.txtJPG2000Compression->end(false);
  QTest::keyClick(form.txtJPG2000Compression, Qt::Key_Backspace);
  QTest::keyClick(form.txtJPG2000Compression, Qt::Key_Backspace);
  EXPECT_EQ(form.txtJPG2000Compression->text(), "13");
  EXPECT_EQ(form.txtJPG2000Compression->selectedText(), "13");
  // The next key replaces the refilled number.
  QTest::keyClick(form.txtJPG2000Compression, Qt::Key_4);
  EXPECT_EQ(form.txtJPG2000Compression->text(), "4");
}

TEST_F(SaveOptionPanelsTest, FocusPutsTheCaretAtTheEnd) {
  frmSaveDialogExtensionAllFormats form;
  form.txtJPGQuality->setSelection(0, 1);
  Focus(form.txtJPGQuality, QEvent::FocusIn);
  EXPECT_FALSE(form.txtJPGQuality->hasSelectedText());
  EXPECT_EQ(form.txtJPGQuality->cursorPosition(), 2);
}

TEST_F(SaveOptionPanelsTest, SliderAndSpinMovesReachTheOtherTwoAndTheRecord) {
  frmSaveDialogExtensionAllFormats form;
  form.sldJPGQuality->setValue(64);
  EXPECT_EQ(form.txtJPGQuality->text(), "64");
  EXPECT_EQ(form.txtJPGQualityD->value(), 64);
  EXPECT_EQ(Formats().Jpeg.Quality, 64);
  form.txtJPG2000CompressionD->setValue(3);
  EXPECT_EQ(form.txtJPG2000Compression->text(), "3");
  EXPECT_EQ(form.sldJPEG2000Compression->value(), 3);
  EXPECT_EQ(Formats().Jpeg2000.Rate, 3);
  EXPECT_EQ(form.sldJPEG2000Compression->maximum(), 25);
  EXPECT_EQ(form.txtJPGQualityD->maximum(), 100);
}

TEST_F(SaveOptionPanelsTest, LoselessHidesTheRateAndKeepsItForLossy) {
  Formats().Jpeg2000.Rate = 9;
  frmSaveDialogExtensionAllFormats form;
  form.optJPG2000Compression[0]->click();
  EXPECT_TRUE(form.picFrameJPG2000Lossy->isHidden());
  EXPECT_EQ(Formats().Jpeg2000.Compression, 0);
  EXPECT_EQ(Formats().Jpeg2000.Rate, 9);
  form.optJPG2000Compression[1]->click();
  EXPECT_FALSE(form.picFrameJPG2000Lossy->isHidden());
  EXPECT_EQ(Formats().Jpeg2000.Compression, 1);
  EXPECT_EQ(form.txtJPG2000Compression->text(), "9");
}

TEST_F(SaveOptionPanelsTest, UntickingTransparentHidesTheButtonAndKeepsTheColour) {
  Formats().Png = {0, 1, 0x123456};
  frmSaveDialogExtensionAllFormats form;
  form.chkPNGTransparent->click();
  EXPECT_EQ(Formats().Png.Transparent, 0);
  EXPECT_TRUE(form.cmdPNGtransprentColor->isHidden());
  EXPECT_EQ(Formats().Png.TransparentColor, 0x123456);
  form.chkGIFTransparent->click();
  EXPECT_EQ(Formats().Gif.Transparent, 1);
  EXPECT_FALSE(form.cmdGIFTransparentColor->isHidden());
}

TEST_F(SaveOptionPanelsTest, ColourButtonStoresTheChosenColourAndKeepsItsOwnOnCancel) {
  frmSaveDialogExtensionAllFormats form;
  // A cancelled chooser stores the colour the button shows: the system colour stays one.
  WhenModalOpens([](QDialog* dialog) { dialog->reject(); });
  form.cmdGIFTransparentColor_Click();
  EXPECT_EQ(static_cast<uint32_t>(Formats().Gif.TransparentColor), 0x8000000Eu);

  WhenModalOpens([](QDialog* dialog) {
    auto* chooser = qobject_cast<QColorDialog*>(dialog);
    ASSERT_NE(chooser, nullptr);
    chooser->setCurrentColor(QColor(10, 20, 30));
    chooser->accept();
  });
  form.cmdGIFTransparentColor_Click();
  EXPECT_EQ(Formats().Gif.TransparentColor, 0x1E140A);
  EXPECT_EQ(ButtonColour(form.cmdGIFTransparentColor), qRgb(10, 20, 30));

  WhenModalOpens([](QDialog* dialog) { dialog->reject(); });
  form.cmdGIFTransparentColor_Click();
  EXPECT_EQ(Formats().Gif.TransparentColor, 0x1E140A);
}

// The settings file as the independent layout script writes it: SaveFormatOptions come first.
QByteArray ScriptDefaults(const QString& folder) {
  QTemporaryDir dir;
  const QString out = dir.filePath("default.bin");
  EXPECT_EQ(
      QProcess::execute("python3", {VELMORA_SOURCE_DIR "/tests/app_shell/default_setup_record.py",
                                    out, folder, "15"}),
      0);
  QFile file(out);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  return file.readAll();
}

void PutLe(QByteArray& bytes, int offset, uint32_t value, int size) {
  for (int i = 0; i < size; ++i) bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

TEST_F(SaveOptionPanelsTest, ChangesStayAfterTheFormAndReachTheSettingsFileAtTheirOffsets) {
  shell::subInitErrorHandling();
  shell::subLoadSetup();
  shell::gSetup = shell::DefaultSetupRecord();
  {
    frmSaveDialogExtensionAllFormats form;
    form.optGIFCompression[1]->click();
    form.chkGIFTransparent->click();
    form.optPNGColorDepth[1]->click();
    form.sldJPGQuality->setValue(91);
    form.optJPGEncoding[1]->click();
    form.optJPGColorDepth[1]->click();
    form.optJPG2000Compression[0]->click();
    form.sldJPEG2000Compression->setValue(24);
    form.cboTIFFCompression->setCurrentIndex(6);
    emit form.cboTIFFCompression->activated(6);
  }
  shell::subSaveSetup();
  QFile file(shell::gstrSetupFile);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray written = file.read(48);

  // Offsets in the script's order: "tif" (5 bytes), then Jpeg, Jpeg2000, Gif, Png, Pnm, Tiff.
  QByteArray expected = ScriptDefaults(shell::DefaultSetupFolder()).left(48);
  ASSERT_EQ(expected.size(), 48);
  PutLe(expected, 5, 1, 4);    // Jpeg.ColorDepth
  PutLe(expected, 9, 91, 2);   // Jpeg.Quality
  PutLe(expected, 11, 1, 1);   // Jpeg.Encoding
  PutLe(expected, 12, 0, 1);   // Jpeg2000.Compression
  PutLe(expected, 13, 24, 2);  // Jpeg2000.Rate
  PutLe(expected, 15, 1, 1);   // Gif.Compression
  PutLe(expected, 16, 1, 1);   // Gif.Transparent
  PutLe(expected, 25, 1, 4);   // Png.ColorDepth
  PutLe(expected, 39, 6, 2);   // Tiff.Compression
  EXPECT_EQ(written.toHex(' '), expected.toHex(' '));
  shell::subDeleteSetup();
}

}  // namespace
