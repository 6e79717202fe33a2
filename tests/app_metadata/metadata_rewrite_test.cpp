// Metadata changes written into TIFF and PSD files in place, through the pane's routines and a
// real ImageBox: pages, compressions, pixels, layers and every block the control does not model
// stay; the new values are read by exiftool, the pages by tiffinfo and tiffcmp, the layers by
// identify. Files that cannot be rewritten are reported and left byte for byte.
#include <gtest/gtest.h>

#include <algorithm>

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string>

#include "app/metadata/metadata_tables.h"
#include "app/metadata/metadata_write.h"
#include "app/shell/errors.h"
#include "app_metadata/control_fixture.h"
#include "app_metadata/exiftool_helpers.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"

namespace {

std::string Output(const std::string& command) {
  std::string out;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[4096];
    while (size_t got = std::fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, got);
    EXPECT_EQ(::pclose(pipe), 0) << command;
  }
  return out;
}

std::string Tag(const QString& path, const std::string& tag) {
  std::string out = Output("exiftool -s3 -" + tag + " '" + path.toStdString() + "'");
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

using metadata_test::Bytes;

// The lines of a listing that contain `key`.
std::string Lines(const std::string& listing, const std::string& key) {
  std::string kept;
  size_t start = 0;
  while (start < listing.size()) {
    size_t end = listing.find('\n', start);
    if (end == std::string::npos) end = listing.size();
    const std::string line = listing.substr(start, end - start);
    if (line.find(key) != std::string::npos) kept += line + "\n";
    start = end + 1;
  }
  return kept;
}

// A PSD file from its layer section on: everything but the header, colour data and resources.
QByteArray PsdLayersAndImage(const QByteArray& psd) {
  auto u32 = [&](qsizetype at) {
    return (uint32_t(uint8_t(psd[at])) << 24) | (uint32_t(uint8_t(psd[at + 1])) << 16) |
           (uint32_t(uint8_t(psd[at + 2])) << 8) | uint32_t(uint8_t(psd[at + 3]));
  };
  const qsizetype resources = 26 + 4 + u32(26);
  return psd.mid(resources + 4 + u32(resources));
}

class MetadataRewrite : public MetadataControlTest {
 protected:
  void Shell(const std::string& command) {
    Output("cd '" + dir_.path().toStdString() + "' && " + command);
  }

  // Three pages (LZW, JPEG, Group 4) with an EXIF directory, a Canon maker note whose value
  // lies at an offset from the header, XMP, an ICC profile and IPTC.
  QString ThreePageTiff() {
    Shell(
        "convert -size 40x30 gradient:red-blue -depth 8 -compress lzw p1.tif && "
        "convert -size 40x30 -seed 3 plasma:fractal -depth 8 -compress jpeg p2.tif && "
        "convert -size 40x30 pattern:checkerboard -monochrome -compress group4 p3.tif && "
        "tiffcp p1.tif p2.tif p3.tif pages.tif");
    const std::string note = R"(import struct
v=b"IMG:TEST TIFF\0"; note=64; e="<"
t=b"II"+struct.pack(e+"HI",42,8)+struct.pack(e+"H",2)+struct.pack(e+"HHII",0x010F,2,6,38)
t+=struct.pack(e+"HHII",0x8769,4,1,44)+struct.pack(e+"I",0)+b"Canon\0"+struct.pack(e+"H",1)
t+=struct.pack(e+"HHII",0x927C,7,18+len(v),note)+struct.pack(e+"I",0)+b"\0\0"+struct.pack(e+"H",1)
t+=struct.pack(e+"HHII",6,2,len(v),note+18)+struct.pack(e+"I",0)+v
a=b"Exif\0\0"+t
d=open("note.jpg","rb").read()
open("note.jpg","wb").write(d[:2]+b"\xff\xe1"+struct.pack(">H",len(a)+2)+a+d[2:]))";
    QFile script(Path("note.py"));
    EXPECT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QByteArray::fromStdString(note));
    script.close();
    Shell(
        "convert -size 8x8 xc:red note.jpg && python3 note.py && "
        "exiftool -q -overwrite_original -tagsfromfile note.jpg -Make -MakerNotes "
        "'-ICC_Profile<=/usr/share/color/icc/ghostscript/srgb.icc' -XMP-dc:Title=kept "
        "'-DateTimeOriginal=2001:01:01 10:00:00' -IPTC:Caption-Abstract=Old pages.tif && "
        "cp pages.tif original.tif");
    return Path("pages.tif");
  }

  // Every page of the rewritten file decodes to the original's pixels. (tiffcmp cannot read
  // pages of downsampled JPEG data, so ImageMagick decodes them.)
  void ExpectSamePixels() {
    for (int page = 0; page < 3; ++page) {
      const std::string index = "[" + std::to_string(page) + "]";
      Shell("convert original.tif" + index + " before.ppm && convert pages.tif" + index +
            " after.ppm");
      EXPECT_EQ(Bytes(Path("after.ppm")), Bytes(Path("before.ppm"))) << "page " << page;
    }
  }
};

TEST_F(MetadataRewrite, ATiffKeepsItsPagesPixelsAndEverythingTheControlDoesNotModel) {
  const QString path = ThreePageTiff();
  ASSERT_EQ(Tag(path, "CanonImageType"), "IMG:TEST TIFF");
  const std::string pages =
      Lines(Output("tiffinfo '" + path.toStdString() + "' 2>/dev/null"), "Compression Scheme");
  ASSERT_EQ(pages,
            "  Compression Scheme: LZW\n  Compression Scheme: JPEG\n"
            "  Compression Scheme: CCITT Group 4\n");
  const std::string xmp = Output("exiftool -b -XMP '" + path.toStdString() + "'");
  const std::string icc = Output("exiftool -b -ICC_Profile '" + path.toStdString() + "'");
  ASSERT_FALSE(xmp.empty());
  ASSERT_FALSE(icc.empty());
  const std::string validate = "exiftool -validate -warning -a -s '" + path.toStdString() + "'";
  const std::string warnings = Output(validate);

  Box().LoadFromFile(path.toStdString());
  Box().Invert();  // an unconfirmed change of the shown image never reaches the file
  ASSERT_TRUE(Update(path, 0, "DateTimeOriginal", QStringLiteral("7/4/2003 1:05:09 PM")));
  ASSERT_TRUE(Update(path, 1, "Caption", QStringLiteral("New caption")));
  EXPECT_TRUE(shell::gstrErrorRoutine.isEmpty()) << shell::gstrErrorText.toStdString();

  EXPECT_EQ(
      Lines(Output("tiffinfo '" + path.toStdString() + "' 2>/dev/null"), "Compression Scheme"),
      pages);
  ExpectSamePixels();
  EXPECT_EQ(Tag(path, "DateTimeOriginal"), "2003:07:04 13:05:09");
  EXPECT_EQ(Tag(path, "IPTC:Caption-Abstract"), "New caption");
  EXPECT_EQ(Tag(path, "Software"), "VelmoraJPEG2000B");
  EXPECT_EQ(Tag(path, "Make"), "Canon");
  EXPECT_EQ(Tag(path, "CanonImageType"), "IMG:TEST TIFF");
  EXPECT_EQ(Output("exiftool -b -XMP '" + path.toStdString() + "'"), xmp);
  EXPECT_EQ(Output("exiftool -b -ICC_Profile '" + path.toStdString() + "'"), icc);
  // No new warning, but the one for the IPTC copy inside the Photoshop resources, which the
  // control's TIFF writer puts there beside the IPTC entry.
  std::string added = Lines(Output(validate), "Warning   ");
  const std::string kIptcCopy =
      "Warning                         : [minor] Non-standard IPTC at TIFF-IFD0-Photoshop-IPTC\n";
  if (const size_t at = added.find(kIptcCopy); at != std::string::npos)
    added.erase(at, kIptcCopy.size());
  EXPECT_EQ(added, Lines(warnings, "Warning   "));
  // Every old byte is still there: the new directory and blocks only follow them.
  EXPECT_TRUE(Bytes(path).mid(8).startsWith(Bytes(Path("original.tif")).mid(8)));
}

TEST_F(MetadataRewrite, AnEmptiedStoreLeavesNoExifInTheTiff) {
  const QString path = ThreePageTiff();
  Box().LoadFromFile(path.toStdString());
  Box().ExifClear();
  ASSERT_TRUE(Update(path, 1, "City", QStringLiteral("Oslo")));
  EXPECT_EQ(Tag(path, "IPTC:City"), "Oslo");
  EXPECT_EQ(Tag(path, "DateTimeOriginal"), "");
  EXPECT_EQ(Tag(path, "CanonImageType"), "");
  EXPECT_EQ(Tag(path, "Make"), "");
  EXPECT_EQ(Tag(path, "XMP-dc:Title"), "kept");
  ExpectSamePixels();
}

// The control writes its TIFF little-endian: its entries are turned round for a big-endian file,
// except the IPTC data, which is a byte stream.
TEST_F(MetadataRewrite, ABigEndianTiffGetsValuesInItsOwnByteOrder) {
  const QString path = Path("motorola.tif");
  Shell(
      "convert -size 20x20 gradient:red-blue -depth 8 little.tif && "
      "tiffcp -B little.tif motorola.tif && exiftool -q -overwrite_original -Make=Cam "
      "-LensModel=Lens motorola.tif && cp motorola.tif original.tif");
  Box().LoadFromFile(path.toStdString());
  ASSERT_TRUE(Update(path, 0, "Artist", QStringLiteral("Ann")));
  ASSERT_TRUE(Update(path, 0, "FNumber", QStringLiteral("28/10")));
  ASSERT_TRUE(Update(path, 1, "Keywords", QString()));
  ASSERT_TRUE(Update(path, 1, "Caption", QStringLiteral("Harbour")));
  EXPECT_EQ(Tag(path, "ExifByteOrder"), "Big-endian (Motorola, MM)");
  EXPECT_EQ(Tag(path, "Artist"), "Ann");
  EXPECT_EQ(Tag(path, "FNumber"), "2.8");
  EXPECT_EQ(Tag(path, "Make"), "Cam");
  EXPECT_EQ(Tag(path, "LensModel"), "Lens");
  EXPECT_EQ(Tag(path, "IPTC:Caption-Abstract"), "Harbour");
  Shell("convert original.tif before.ppm && convert motorola.tif after.ppm");
  EXPECT_EQ(Bytes(Path("after.ppm")), Bytes(Path("before.ppm")));
}

TEST_F(MetadataRewrite, ALayeredPsdKeepsItsLayersImageDataAndXmp) {
  const QString path = Path("layered.psd");
  Shell(
      "convert -size 40x30 xc:white \\( -size 20x10 xc:blue \\) \\( -size 10x10 xc:green \\) "
      "layered.psd && exiftool -q -overwrite_original -XMP-dc:Title=kept layered.psd");
  const std::string identify =
      "identify -format '%s %m %g %z %[colorspace]\\n' '" + path.toStdString() + "'";
  const std::string layers = Output(identify);
  ASSERT_EQ(std::count(layers.begin(), layers.end(), '\n'), 3) << layers;  // composite, 2 layers
  const QByteArray before = Bytes(path);
  const std::string xmp = Output("exiftool -b -XMP '" + path.toStdString() + "'");
  ASSERT_FALSE(xmp.empty());

  Box().LoadFromFile(path.toStdString());
  ASSERT_TRUE(Update(path, 1, "Caption", QStringLiteral("Quay")));
  EXPECT_TRUE(shell::gstrErrorRoutine.isEmpty()) << shell::gstrErrorText.toStdString();

  EXPECT_EQ(Tag(path, "IPTC:Caption-Abstract"), "Quay");
  EXPECT_EQ(Output(identify), layers);
  EXPECT_EQ(PsdLayersAndImage(Bytes(path)), PsdLayersAndImage(before));
  EXPECT_EQ(Output("exiftool -b -XMP '" + path.toStdString() + "'"), xmp);
}

TEST_F(MetadataRewrite, FilesThatCannotBeRewrittenAreReportedAndLeftAlone) {
  Shell(
      "convert -size 20x20 xc:red -depth 8 plain.tif && tiffcp -8 plain.tif big.tif && "
      "convert -size 20x20 xc:red damaged.psd && "
      "head -c 60 damaged.psd > cut.psd && mv cut.psd damaged.psd");
  Box().LoadFromFile(Path("plain.tif").toStdString());
  for (const char* name : {"big.tif", "damaged.psd"}) {
    const QString path = Path(name);
    const QByteArray before = Bytes(path);
    shell::gstrErrorRoutine.clear();
    EXPECT_FALSE(Update(path, 1, "Caption", QStringLiteral("Kept in memory"))) << name;
    EXPECT_EQ(shell::gstrErrorRoutine, QStringLiteral("modMetadata.fncUpdateAttribute")) << name;
    EXPECT_TRUE(shell::gstrErrorText.endsWith(u"The metadata could not be written to this file."))
        << shell::gstrErrorText.toStdString();
    EXPECT_EQ(Bytes(path), before) << name;
  }
  EXPECT_EQ(Box().get_FFO_Caption().Utf8(), "Kept in memory");
}

}  // namespace
