// The image document without any widget: the selection rules and the working copy of exports.
#include "control/engine/view/image_document.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace pictavo {
namespace {

std::unique_ptr<TicBitmap> Image24(int width, int height) {
  auto image = std::make_unique<TicBitmap>();
  image->SetPixelFormat(plat::TPixelFormat::pf24bit);
  image->SetSize(width, height);
  image->UpdateColorFormat();
  return image;
}

TEST(ImageDocument, WithoutAnImageEveryOperationDoesNothing) {
  TImageDocument document;
  document.SelectRectangle(0, 0, 3, 3);
  document.SetUseSelection(true);
  document.Rotate(90, false);
  bool ran = false;
  document.WithWorkingCopy([&](TicBitmap&) { ran = true; });
  EXPECT_FALSE(ran);
  EXPECT_FALSE(document.UseSelection());
  EXPECT_EQ(document.SelectionShape(), ssNone);
  EXPECT_EQ(document.BGColor(), 0xFFFFFFu);
}

TEST(ImageDocument, UseSelectionNeedsASelectionAndCancelAlwaysClearsIt) {
  TImageDocument document;
  document.Replace(Image24(10, 8));
  document.SetUseSelection(true);
  EXPECT_FALSE(document.UseSelection());
  document.SelectEllipse(2, 1, 6, 5);
  document.SetUseSelection(true);
  EXPECT_TRUE(document.UseSelection());
  const TSelectionBounds bounds = document.SelectionBounds();
  EXPECT_EQ(bounds.left, 2);
  EXPECT_EQ(bounds.bottom, 5);
  document.CancelSelection();
  EXPECT_FALSE(document.UseSelection());
  EXPECT_EQ(document.SelectionBounds().right, 0);
}

TEST(ImageDocument, ExportCutsToTheSelectionAndRestoresItAfterAFailure) {
  TImageDocument document;
  document.Replace(Image24(10, 8));
  document.SelectRectangle(2, 1, 6, 5);
  document.SetUseSelection(true);
  EXPECT_THROW(document.WithWorkingCopy([&](TicBitmap& cut) {
    EXPECT_EQ(cut.Width(), 5);
    EXPECT_NE(document.ExportOriginal(), nullptr);
    throw std::runtime_error("export failed");
  }),
               std::runtime_error);
  EXPECT_EQ(document.Image()->Width(), 10);
  EXPECT_EQ(document.ExportOriginal(), nullptr);
  EXPECT_TRUE(document.UseSelection());
  EXPECT_EQ(document.SelectionShape(), ssRectangle);
  // A selection without pixels cannot come back, and the flag does not outlive it.
  document.SelectRectangle(20, 20, 30, 30);
  document.SetUseSelection(true);
  document.WithWorkingCopy([](TicBitmap&) {});
  EXPECT_FALSE(document.UseSelection());
  EXPECT_EQ(document.SelectionShape(), ssNone);
}

}  // namespace
}  // namespace pictavo
