#include "control/activex/imagebox_enums.h"

namespace pictavo {

namespace {

constexpr EnumConstant kFlipMode[] = {{0, "fmHoriz", "Flip horizontally."},
                                      {1, "fmVert", "Flip vertically."}};
constexpr EnumConstant kGraphicsFormat[] = {{0, "gfBMP", "Bitmap format."},
                                            {1, "gfGIF", "GIF format."},
                                            {2, "gfJPG", "JPG format."},
                                            {3, "gfPCX", "PCX format."},
                                            {4, "gfPNG", "PNG format."},
                                            {5, "gfWBMP", "Wireless bitmap format."},
                                            {6, "gfPSD", "Adobe Photoshop format."},
                                            {7, "gfTIF", "TIFF format."},
                                            {8, "gfPDF", "Adobe Portable Document Format."}};
constexpr EnumConstant kColorFormat[] = {
    {0, "cf24bit", "24 bit RGB (true color)."},
    {1, "cf256Color", "256 colors (palettised - 8 bit)."},
    {2, "cf256Grayscale", "256 grayscale colors (palettised - 8 bit)."},
    {3, "cf16Color", "16 colors (palettised - 4 bit)."},
    {4, "cf16Grayscale", "16 grayscale colors (palettised - 4 bit)."},
    {5, "cfMono", "Monochrome."},
    {6, "cfMonoBW", "Monochrome (black and white)."},
    {7, "cfNone", "No image loaded."}};
constexpr EnumConstant kWMStyle[] = {{0, "wmCentre", "Single merged image in centre."},
                                     {1, "wmSingle", "Single merged image."},
                                     {2, "wmTile", "Tiled merged image."},
                                     {3, "wmWrap", "Wrapped merged image."}};
constexpr EnumConstant kPenMode[] = {
    {0, "pmBlack", "Always black."},
    {1, "pmWhite", "Always white."},
    {2, "pmNop", "Unchanged."},
    {3, "pmNot", "Inverse of image background color."},
    {4, "pmCopy", "Pen color specified in PenColor property."},
    {5, "pmNotCopy", "Inverse of pen color."},
    {6, "pmMergePenNot", "Combination of pen color and inverse of image background."},
    {7, "pmMaskPenNot",
     "Combination of colors common to both pen and inverse of image background."},
    {8, "pmMergeNotPen", "Combination of image background color and inverse of pen color."},
    {9, "pmMaskNotPen",
     "Combination of colors common to both image background and inverse of pen."},
    {10, "pmMerge", "Combination of pen color and image background color."},
    {11, "pmNotMerge", "Inverse of pmMerge: combination of pen color and image background color."},
    {12, "pmMask", "Combination of colors common to both pen and image background."},
    {13, "pmNotMask",
     "Inverse of pmMask: combination of colors common to both pen and image background."},
    {14, "pmXor", "Combination of colors in either pen or image background, but not both."},
    {15, "pmNotXor",
     "Inverse of pmXor: combination of colors in either pen or image background, but not "
     "both."}};
constexpr EnumConstant kPenStyle[] = {
    {0, "psSolid", "A solid line."},
    {1, "psDash", "A line made up of a series of dashes."},
    {2, "psDot", "A line made up of a series of dots."},
    {3, "psDashDot", "A line made up of alternating dashes and dots."},
    {4, "psDashDotDot", "A line made up of a series of dash-dot-dot combinations."},
    {5, "psClear",
     "No line is drawn (used to omit the line around shapes that draw an outline using the "
     "current pen)."},
    {6, "psInsideFrame",
     "A solid line, but one that may use a dithered color if PenWidth is greater than 1."}};
constexpr EnumConstant kBrushStyle[] = {
    {0, "bsSolid", "Fills the shape with BrushColor."},
    {1, "bsClear", "No fill."},
    {2, "bsHorizontal", "Horizontal lines."},
    {3, "bsVertical", "Vertical lines."},
    {4, "bsFDiagonal", "Diagonal lines sloping top-left to bottom-right."},
    {5, "bsBDiagonal", "Diagonal lines sloping bottom-left to top-right."},
    {6, "bsCross", "Cross-hatching with vertical and horizontal lines."},
    {7, "bsDiagCross", "Cross-hatching with diagonal lines."}};
constexpr EnumConstant kHelpType[] = {{0, "htKeyword", "htKeyword"}, {1, "htContext", "htContext"}};
constexpr EnumConstant kFloodFillStyle[] = {
    {0, "fsSurface", "Fill all area that has the color indicated by the Color parameter."},
    {1, "fsBorder",
     "Fill all area that does not have the color indicated by the Color parameter."}};
constexpr EnumConstant kSelectionType[] = {{0, "seNone", "No region selected."},
                                           {1, "seRectangle", "Rectangle selected."},
                                           {2, "seEllipse", "Ellipse selected."}};
constexpr EnumConstant kPrinterOrientation[] = {
    {0, "poPortrait", "Portrait printer orientation."},
    {1, "poLandscape", "Landscape printer orientation."}};
constexpr EnumConstant kPrintUnits[] = {{0, "pucm", "Printer units - cm."},
                                        {1, "puInch", "Printer units - Inch."}};
constexpr EnumConstant kCompression[] = {{0, "cmNone", "No compression."},
                                         {1, "cmPackBits", "PackBits compression."},
                                         {2, "cmGroup4", "CCITT Group 4 Fax compression."}};
constexpr EnumConstant kTextJustify[] = {{0, "tjLeft", "Left justified text."},
                                         {1, "tjCenter", "Centred text."},
                                         {2, "tjRight", "Right justified text."}};
constexpr EnumConstant kTwainUnits[] = {
    {0, "unInches", "Inches."},
    {1, "unCentimeters", "Centimeters."},
    {2, "unPicas", "Picas."},
    {3, "unPoints", "Points."},
    {4, "unTwips", "Twips."},
    {5, "unPixels", "Pixels."},
    {-1, "unUnknown", "Units are unknown (no response from device)."}};
constexpr EnumConstant kPixelType[] = {
    {0, "ptBW", "Black and white."},
    {1, "ptGray", "Grayscale."},
    {2, "ptRGB", "RGB colour."},
    {-1, "ptUnknown", "TwainPixelType is unknown (no response from device)."}};

#define PICTAVO_TAIL "-17E0-4809-956E-6AAA12C69CC0}"
constexpr EnumInfo kEnums[kEnumCount] = {
    {EnumId::TxFlipMode, "TxFlipMode", "Mode of operation of Flip Method.",
     "{F35A7E57" PICTAVO_TAIL, kFlipMode, false},
    {EnumId::TxGraphicsFormat, "TxGraphicsFormat", "File format used for loading and saving.",
     "{F35A7E58" PICTAVO_TAIL, kGraphicsFormat, false},
    {EnumId::TxColorFormat, "TxColorFormat", "Color format.", "{F35A7E59" PICTAVO_TAIL,
     kColorFormat, false},
    {EnumId::TxWMStyle, "TxWMStyle", "Merged image (watermark) style.", "{F35A7E5A" PICTAVO_TAIL,
     kWMStyle, false},
    {EnumId::TxPenMode, "TxPenMode", "Mode of the drawing pen.", "{F35A7E5B" PICTAVO_TAIL, kPenMode,
     false},
    {EnumId::TxPenStyle, "TxPenStyle", "Style of the drawing pen.", "{F35A7E5C" PICTAVO_TAIL,
     kPenStyle, false},
    {EnumId::TxBrushStyle, "TxBrushStyle", "Style of the drawing brush.", "{F35A7E5D" PICTAVO_TAIL,
     kBrushStyle, false},
    {EnumId::TxHelpType, "TxHelpType", nullptr, "{F35A7E5E" PICTAVO_TAIL, kHelpType, false},
    {EnumId::TxFloodFillStyle, "TxFloodFillStyle", "Defines the behaviour of the FloodFill method.",
     "{1B245894-BBE9-4A1D-BF6B-2BAB3AE4FD3C}", kFloodFillStyle, false},
    {EnumId::TxSelectionType, "TxSelectionType", "Shape of the selected region of the image.",
     "{C7AD5D57-1F53-43D8-9513-037983A81994}", kSelectionType, false},
    {EnumId::TxPrinterOrientation, "TxPrinterOrientation", "Orientation of the selected printer.",
     "{53886210-5D3C-4DE8-BA8B-447CD960395C}", kPrinterOrientation, false},
    {EnumId::TxPrintUnits, "TxPrintUnits", "Units of measurement for printing.",
     "{53886211-5D3C-4DE8-BA8B-447CD960395C}", kPrintUnits, false},
    {EnumId::TxCompression, "TxCompression", "Compression method used to save files.",
     "{A39D88BE-F63E-4DB2-BC50-10020C971DA0}", kCompression, false},
    {EnumId::TxTextJustify, "TxTextJustify", "Text justification.",
     "{210949A9-C09E-482A-9D2F-05B831142E09}", kTextJustify, false},
    {EnumId::TxTwainUnits, "TxTwainUnits", "Enumeration for the available units of measure.",
     "{CC58BA10-E853-4184-AE7A-5F2539D06ED0}", kTwainUnits, true},
    {EnumId::TxPixelType, "TxPixelType", "Enumeration for the available values of TwainPixelType.",
     "{CC58BA15-E853-4184-AE7A-5F2539D06ED0}", kPixelType, true},
};
#undef PICTAVO_TAIL

}  // namespace

std::span<const EnumInfo> Enumerations() {
  return kEnums;
}

const EnumInfo& Enumeration(EnumId id) {
  return kEnums[static_cast<int>(id)];
}

const char* EnumName(EnumId id, int32_t value) {
  for (const EnumConstant& c : Enumeration(id).constants)
    if (c.value == value) return c.name;
  return nullptr;
}

bool EnumValue(EnumId id, std::string_view name, int32_t& value) {
  for (const EnumConstant& c : Enumeration(id).constants)
    if (name == c.name) {
      value = c.value;
      return true;
    }
  return false;
}

}  // namespace pictavo
