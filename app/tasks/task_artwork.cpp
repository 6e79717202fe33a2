#include "app/tasks/task_artwork.h"

#include <QImage>
#include <algorithm>
#include <string>

#include "app/shell/errors.h"
#include "platform/graphics/qimage_view.h"

namespace tasks {

namespace {

constexpr const char* kTileNames[kFrameTileCount] = {
    "pTop_left", "pTop_middle",  "pTop_right",     "pleft",
    "pRight",    "pBottom_left", "pBottom_middle", "pBottom_right"};
constexpr const char* kPieceNames[kExtraPieceCount] = {"left_top", "right_top", "left_bottom",
                                                       "right_bottom"};

plat::TBitmap LoadPicture(const QString& name) {
  const QImage image(QStringLiteral(":/tasks/artwork/%1.png").arg(name));
  if (image.isNull())
    throw shell::AppError(shell::kErrInvalidProcedureCall, "Invalid procedure call or argument");
  return plat::FromQImage(image);
}

TaskArtwork LoadArtwork() {
  TaskArtwork art;
  for (int set = 0; set < kFrameSetCount; ++set)
    for (int tile = 0; tile < kFrameTileCount; ++tile)
      art.Frames[set][tile] = LoadPicture(QStringLiteral("%1_%2").arg(kTileNames[tile]).arg(set));
  for (int piece = 0; piece < kExtraPieceCount; ++piece)
    art.ExtraPieces[piece] = LoadPicture(QString::fromLatin1(kPieceNames[piece]));
  for (int mask = 0; mask < kMaskCount; ++mask)
    art.Masks[mask] = LoadPicture(QStringLiteral("Mask_%1").arg(mask));
  return art;
}

void CheckIndex(int index, int count) {
  if (index < 0 || index >= count)
    throw shell::AppError(340,
                          "Control array element '" + std::to_string(index) + "' doesn't exist");
}

}  // namespace

const TaskArtwork& Artwork() {
  static const TaskArtwork art = LoadArtwork();
  return art;
}

}  // namespace tasks

namespace tasks {

const FrameTiles& FrameSet(int index) {
  CheckIndex(index, kFrameSetCount);
  return Artwork().Frames[index];
}

const plat::TBitmap& MaskPicture(int index) {
  CheckIndex(index, kMaskCount);
  return Artwork().Masks[index];
}

}  // namespace tasks
