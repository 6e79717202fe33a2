#pragma once
// The options the program remembers between runs: one record in memory (gSetup), one small binary
// file on disk, read once at start-up and written once at exit.
//
// VELMORA_SETUP_FIELDS is the one list of the record's members in file order with their defaults;
// the reader, the writer, the defaults and the tests all walk it, so a member added to the record
// must be added there at its place in the file.
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace shell {

struct Jpeg2000Options {
  uint8_t Compression = 0;
  int16_t Rate = 0;
};

struct SetupRecord {
  struct {
    QString DefaultExtension;
    struct {
      struct {
        int32_t ColorDepth = 0;
        int16_t Quality = 0;
        uint8_t Encoding = 0;
      } Jpeg;
      Jpeg2000Options Jpeg2000;
      struct {
        uint8_t Compression = 0;
        uint8_t Transparent = 0;
        int32_t TransparentColor = 0;
        int32_t Spare = 0;
      } Gif;
      struct {
        int32_t ColorDepth = 0;
        uint8_t Transparent = 0;
        int32_t TransparentColor = 0;
      } Png;
      struct {
        uint8_t Format = 0;
        int32_t Spare = 0;
      } Pnm;
      struct {
        int16_t Compression = 0;
        int32_t Spare = 0;
      } Tiff;
    } Formats;
    uint8_t ProcessTaskBasket = 0;
    uint8_t AppendMode = 0;
    uint8_t OutputMode = 0;
  } SaveFormatOptions;
  struct {
    Jpeg2000Options Jpeg2000;
    uint8_t Jpeg2000Format = 0;
    QString Suffix;
    QString Prefix;
    QString Separator1;
    QString Separator2;
    int16_t RenameMode = 0;
    QString GenericName;
    QString CounterStart;
    uint8_t DestinationMode = 0;
    QString DestinationFolder;
    uint8_t Overwrite = 0;
    bool Confirmed = false;
    uint8_t ProcessTaskBasket = 0;
  } BatchNamingOptions;
  struct {
    uint8_t ShowTooltips = 0;
  } TooltipOptions;
  struct {
    int32_t Width = 0;   // twips
    int32_t Height = 0;  // twips
    uint8_t Spare = 0;
  } WindowOptions;
  struct {
    int16_t Main = 0, Right = 0, Left = 0, View = 0;
  } SplitterOptions;
  struct {
    QString LastFolder;
  } BrowseOptions;
  struct {
    uint8_t FitMode = 0;
    uint8_t PreviewType = 0;
  } PreviewOptions;
  struct {
    int32_t View = 0;
    std::array<int16_t, 8> ColumnWidths{};
    bool FullRowSelect = false;
    int16_t ThumbnailWidth = 0;
    int16_t ThumbnailHeight = 0;
    uint8_t FileSizeFormat = 0;
  } FolderListOptions;
  struct {
    std::array<int16_t, 5> ColumnWidths{};
    bool FullRowSelect = false;
    int16_t ThumbnailWidth = 0;
    int16_t ThumbnailHeight = 0;
    int32_t Spare1 = 0;
    int32_t Spare2 = 0;
    QString Folder;
  } BasketListOptions;
  struct {
    int16_t ExifNameWidth = 0, ExifValueWidth = 0, IptcNameWidth = 0, IptcValueWidth = 0;
  } MetadataListOptions;
  struct {
    struct {
      uint8_t Mode = 0, KeepRatio = 0, Resample = 0;
      int16_t Scale = 0;
    } Resize;
    struct {
      int32_t BackColor = 0;
      int16_t Top = 0, Left = 0, Right = 0, Bottom = 0;
    } Canvas;
    struct {
      int16_t Degrees = 0;
      uint8_t Resample = 0;
      int32_t BackColor = 0;
    } Rotate;
    struct {
      int16_t Value = 0;
      uint8_t Red = 0, Green = 0, Blue = 0;
    } Contrast, Brightness;
    struct {
      int16_t Amount = 0;
    } Blur;
    struct {
      uint8_t Amount = 0;
    } Sharpen;
    struct {
      uint8_t SelectMode = 0, Preset = 0;
    } Crop;
    struct {
      QString Text;
      uint8_t Transparent = 0;
      int32_t BackColor = 0;
      int16_t Filter = 0, Position = 0, FontIndex = 0, FontSize = 0;
      int32_t Color = 0;
      uint8_t Bold = 0, Spare1 = 0, Spare2 = 0;
      int16_t Angle = 0;
      uint8_t Alignment = 0, Orientation = 0;
    } Text;
    struct {
      uint8_t Mode = 0;
    } Flip;
    struct {
      uint8_t Transparent = 0;
      int16_t MergeStyle = 0;
      int32_t TransparentColor = 0;
      int16_t Transparency = 0;
      QString ImageFile;
    } Watermark;
    struct {
      uint8_t Style = 0;
      int16_t Size = 0;
      int32_t Color = 0;
      int16_t ImageIndex = 0;
      uint8_t UseCanvasSpace = 0;
    } Frame;
    struct {
      int16_t Index = 0;
      uint8_t Transparent = 0;
      int16_t Transparency = 0;
    } Mask;
    struct {
      int16_t Index = 0;
    } Shadow;
  } TaskOptions;
  struct {
    uint8_t ProcessTaskBasket = 0;
    int16_t Quality = 0;
  } ScreensaverOptions;
  struct {
    int32_t BackColor = 0;
    int16_t Interval = 0;
    uint8_t ProcessTaskBasket = 0;
    int16_t Quality = 0;
  } SlideShowSettings;
  struct {
    uint8_t ProcessTaskBasket = 0;
    int16_t Quality = 0;
  } GreetingOptions;
  struct {
    int32_t PrinterIndex = 0;
    int32_t PrintPaperSize = 0;
    uint8_t PrintUnits = 0;
    double PrintLeft = 0;
    double PrintTop = 0;
    int32_t PrintCopies = 0;
    double PrintScale = 0;
    uint8_t PrintOrientation = 0;
    bool PrintFit = false;
    bool PrintCentre = false;
  } PrintOptions;
};

// Defaults that depend on the machine: the folder that stands for "program folder" and the
// screen's twips per pixel for the window size.
QString DefaultSetupFolder();
int32_t DefaultWindowTwips(int pixels);

// X(member, default) for every member of SetupRecord in file order. Every default is an
// expression assignable to the member; `Each(v)` fills an array member.
// clang-format off
#define VELMORA_SETUP_FIELDS(X)                                        \
  X(SaveFormatOptions.DefaultExtension, QStringLiteral("tif"))          \
  X(SaveFormatOptions.Formats.Jpeg.ColorDepth, 0)                       \
  X(SaveFormatOptions.Formats.Jpeg.Quality, 80)                         \
  X(SaveFormatOptions.Formats.Jpeg.Encoding, 0)                         \
  X(SaveFormatOptions.Formats.Jpeg2000.Compression, 1)                  \
  X(SaveFormatOptions.Formats.Jpeg2000.Rate, 20)                        \
  X(SaveFormatOptions.Formats.Gif.Compression, 0)                       \
  X(SaveFormatOptions.Formats.Gif.Transparent, 0)                       \
  X(SaveFormatOptions.Formats.Gif.TransparentColor, kSystemColour(14))  \
  X(SaveFormatOptions.Formats.Gif.Spare, 1)                             \
  X(SaveFormatOptions.Formats.Png.ColorDepth, 0)                        \
  X(SaveFormatOptions.Formats.Png.Transparent, 0)                       \
  X(SaveFormatOptions.Formats.Png.TransparentColor, kSystemColour(14))  \
  X(SaveFormatOptions.Formats.Pnm.Format, 1)                            \
  X(SaveFormatOptions.Formats.Pnm.Spare, 0)                             \
  X(SaveFormatOptions.Formats.Tiff.Compression, 0)                      \
  X(SaveFormatOptions.Formats.Tiff.Spare, 0)                            \
  X(SaveFormatOptions.ProcessTaskBasket, 1)                             \
  X(SaveFormatOptions.AppendMode, 0)                                    \
  X(SaveFormatOptions.OutputMode, 0)                                    \
  X(BatchNamingOptions.Jpeg2000.Compression, 1)                         \
  X(BatchNamingOptions.Jpeg2000.Rate, 20)                               \
  X(BatchNamingOptions.Jpeg2000Format, 0)                               \
  X(BatchNamingOptions.Suffix, QString())                               \
  X(BatchNamingOptions.Prefix, QString())                               \
  X(BatchNamingOptions.Separator1, QStringLiteral("_"))                 \
  X(BatchNamingOptions.Separator2, QStringLiteral("_"))                 \
  X(BatchNamingOptions.RenameMode, 0)                                   \
  X(BatchNamingOptions.GenericName, QStringLiteral("Sample"))           \
  X(BatchNamingOptions.CounterStart, QStringLiteral("[Starting 1]"))    \
  X(BatchNamingOptions.DestinationMode, 0)                              \
  X(BatchNamingOptions.DestinationFolder, DefaultSetupFolder())         \
  X(BatchNamingOptions.Overwrite, 1)                                    \
  X(BatchNamingOptions.Confirmed, false)                                \
  X(BatchNamingOptions.ProcessTaskBasket, 1)                            \
  X(TooltipOptions.ShowTooltips, 1)                                     \
  X(WindowOptions.Width, DefaultWindowTwips(640))                       \
  X(WindowOptions.Height, DefaultWindowTwips(480))                      \
  X(WindowOptions.Spare, 0)                                             \
  X(SplitterOptions.Main, 70)                                           \
  X(SplitterOptions.Right, 30)                                          \
  X(SplitterOptions.Left, 50)                                           \
  X(SplitterOptions.View, 50)                                           \
  X(BrowseOptions.LastFolder, DefaultSetupFolder())                     \
  X(PreviewOptions.FitMode, 0)                                          \
  X(PreviewOptions.PreviewType, 1)                                      \
  X(FolderListOptions.View, 0)                                          \
  X(FolderListOptions.ColumnWidths, Each(100))                          \
  X(FolderListOptions.FullRowSelect, false)                             \
  X(FolderListOptions.ThumbnailWidth, 40)                               \
  X(FolderListOptions.ThumbnailHeight, 40)                              \
  X(FolderListOptions.FileSizeFormat, 0)                                \
  X(BasketListOptions.ColumnWidths, Each(100))                          \
  X(BasketListOptions.FullRowSelect, false)                             \
  X(BasketListOptions.ThumbnailWidth, 40)                               \
  X(BasketListOptions.ThumbnailHeight, 40)                              \
  X(BasketListOptions.Spare1, 0)                                        \
  X(BasketListOptions.Spare2, 0)                                        \
  X(BasketListOptions.Folder, DefaultSetupFolder())                     \
  X(MetadataListOptions.ExifNameWidth, 100)                             \
  X(MetadataListOptions.ExifValueWidth, 200)                            \
  X(MetadataListOptions.IptcNameWidth, 100)                             \
  X(MetadataListOptions.IptcValueWidth, 200)                            \
  X(TaskOptions.Resize.Mode, 0)                                         \
  X(TaskOptions.Resize.KeepRatio, 1)                                    \
  X(TaskOptions.Resize.Resample, 0)                                     \
  X(TaskOptions.Resize.Scale, 50)                                       \
  X(TaskOptions.Canvas.BackColor, kSystemColour(14))                    \
  X(TaskOptions.Canvas.Top, 10)                                         \
  X(TaskOptions.Canvas.Left, 10)                                        \
  X(TaskOptions.Canvas.Right, 10)                                       \
  X(TaskOptions.Canvas.Bottom, 10)                                      \
  X(TaskOptions.Rotate.Degrees, 0)                                      \
  X(TaskOptions.Rotate.Resample, 0)                                     \
  X(TaskOptions.Rotate.BackColor, kSystemColour(14))                    \
  X(TaskOptions.Contrast.Value, 50)                                     \
  X(TaskOptions.Contrast.Red, 1)                                        \
  X(TaskOptions.Contrast.Green, 1)                                      \
  X(TaskOptions.Contrast.Blue, 1)                                       \
  X(TaskOptions.Brightness.Value, 50)                                   \
  X(TaskOptions.Brightness.Red, 1)                                      \
  X(TaskOptions.Brightness.Green, 1)                                    \
  X(TaskOptions.Brightness.Blue, 1)                                     \
  X(TaskOptions.Blur.Amount, 1)                                         \
  X(TaskOptions.Sharpen.Amount, 1)                                      \
  X(TaskOptions.Crop.SelectMode, 1)                                     \
  X(TaskOptions.Crop.Preset, 0)                                         \
  X(TaskOptions.Text.Text, QStringLiteral("Sample"))                    \
  X(TaskOptions.Text.Transparent, 1)                                    \
  X(TaskOptions.Text.BackColor, kSystemColour(14))                      \
  X(TaskOptions.Text.Filter, 0)                                         \
  X(TaskOptions.Text.Position, 0)                                       \
  X(TaskOptions.Text.FontIndex, 0)                                      \
  X(TaskOptions.Text.FontSize, 14)                                      \
  X(TaskOptions.Text.Color, kSystemColour(8))                           \
  X(TaskOptions.Text.Bold, 0)                                           \
  X(TaskOptions.Text.Spare1, 0)                                         \
  X(TaskOptions.Text.Spare2, 0)                                         \
  X(TaskOptions.Text.Angle, 0)                                          \
  X(TaskOptions.Text.Alignment, 0)                                      \
  X(TaskOptions.Text.Orientation, 0)                                    \
  X(TaskOptions.Flip.Mode, 0)                                           \
  X(TaskOptions.Watermark.Transparent, 1)                               \
  X(TaskOptions.Watermark.MergeStyle, 0)                                \
  X(TaskOptions.Watermark.TransparentColor, kSystemColour(9))           \
  X(TaskOptions.Watermark.Transparency, 50)                             \
  X(TaskOptions.Watermark.ImageFile, QString())                         \
  X(TaskOptions.Frame.Style, 0)                                         \
  X(TaskOptions.Frame.Size, 20)                                         \
  X(TaskOptions.Frame.Color, kSystemColour(14))                         \
  X(TaskOptions.Frame.ImageIndex, 0)                                    \
  X(TaskOptions.Frame.UseCanvasSpace, 1)                                \
  X(TaskOptions.Mask.Index, 0)                                          \
  X(TaskOptions.Mask.Transparent, 1)                                    \
  X(TaskOptions.Mask.Transparency, 0)                                   \
  X(TaskOptions.Shadow.Index, 0)                                        \
  X(ScreensaverOptions.ProcessTaskBasket, 1)                            \
  X(ScreensaverOptions.Quality, 80)                                     \
  X(SlideShowSettings.BackColor, 0)                                     \
  X(SlideShowSettings.Interval, 3)                                      \
  X(SlideShowSettings.ProcessTaskBasket, 1)                             \
  X(SlideShowSettings.Quality, 80)                                      \
  X(GreetingOptions.ProcessTaskBasket, 1)                               \
  X(GreetingOptions.Quality, 80)                                        \
  X(PrintOptions.PrinterIndex, -1)                                      \
  X(PrintOptions.PrintPaperSize, 0)                                     \
  X(PrintOptions.PrintUnits, 0)                                         \
  X(PrintOptions.PrintLeft, 0.0)                                        \
  X(PrintOptions.PrintTop, 0.0)                                         \
  X(PrintOptions.PrintCopies, 1)                                        \
  X(PrintOptions.PrintScale, 100.0)                                     \
  X(PrintOptions.PrintOrientation, 0)                                   \
  X(PrintOptions.PrintFit, false)                                       \
  X(PrintOptions.PrintCentre, false)
// clang-format on

// The record with every member at its default.
SetupRecord DefaultSetupRecord();
// The longest text a record holds, in bytes (its length field has two bytes).
inline constexpr size_t kMaxSetupTextBytes = 0xFFFF;
// The file's bytes for a record. Texts are UTF-8 with their byte count as length.
std::vector<uint8_t> EncodeSetupRecord(const SetupRecord& record);
// The record the bytes hold; nothing when they end before the last member does. Bytes after the
// record are ignored. Texts that are not UTF-8 are read as Windows-1252.
std::optional<SetupRecord> DecodeSetupRecord(const std::vector<uint8_t>& bytes);
// Brings values that would break the lists or the layout into the ranges the program can show.
void ClampSetupRecord(SetupRecord& record);
// The member names in file order, as the list spells them.
std::vector<QString> SetupMemberNames();

extern SetupRecord gSetup;
extern QString gstrSetupFile;

// Where scanned and captured images go: the folder and the name each file starts with. The
// settings file has no room for them, so they hold for the session; they start as the pictures
// folder and "Capture" or "Scan".
struct AcquireTarget {
  QString Folder;
  QString GenericName;
};
extern AcquireTarget gCaptureTarget;
extern AcquireTarget gTwainTarget;

// Reads the settings file into gSetup. Without a usable file the defaults are assigned and
// written at once; a damaged file is first kept beside as "<file>.bad".
void subLoadSetup();
// Writes gSetup to the settings file; the old file stays whole until the new one is complete.
void subSaveSetup();
// Deletes the settings file and the window state beside it; every error is ignored.
void subDeleteSetup();

// Whether the main window was maximised when the program last ended. The record has no room for
// it, so it lives in a small INI file beside the settings file; without one the window was not.
bool LoadWindowMaximized();
// Remembers the main window's maximised state for the next start; throws AppError when the file
// cannot be written.
void SaveWindowMaximized(bool maximized);

}  // namespace shell
