#include <gtest/gtest.h>

#include "control/formats/jpeg/be_stream.h"
#include "control/formats/jpeg/jpeg_errors.h"
#include "control/formats/jpeg/photoshop_resources.h"

namespace pictavo {
namespace {

using Bytes = std::string;

Bytes Block(uint16_t id, const Bytes& name, const Bytes& data) {
  Bytes out = "8BIM";
  out += static_cast<char>(id >> 8);
  out += static_cast<char>(id & 0xFF);
  out += static_cast<char>(name.size());
  out += name;
  if (name.size() % 2 == 0) out += '\0';
  PutDWordBE(out, static_cast<uint32_t>(data.size()));
  out += data;
  if (data.size() % 2) out += '\0';
  return out;
}

Bytes DataSet(uint8_t number, const Bytes& value) {
  Bytes out = "\x1C\x02";
  out += static_cast<char>(number);
  PutWordBE(out, static_cast<uint32_t>(value.size()));
  return out + value;
}

const Bytes kPayload = Bytes("Photoshop 3.0\0", 14) +
                       Block(0x0404, "Caption", DataSet(0, Bytes("\0\2", 2)) + DataSet(120, "abc"));

TEST(ByteOrderStream, ReadsWordsAndDWordsInEitherOrderAndRefusesThePastEnd) {
  TBEMemoryStream stream(std::vector<uint8_t>{0x12, 0x34, 0x56, 0x78, 0x9A});
  stream.BigEndian = true;
  EXPECT_EQ(ReadWord(stream), 0x1234);
  stream.SetPosition(0);
  EXPECT_EQ(ReadDWord(stream), 0x12345678u);
  stream.BigEndian = false;
  stream.SetPosition(0);
  EXPECT_EQ(ReadWord(stream), 0x3412);
  stream.SetPosition(0);
  EXPECT_EQ(ReadDWord(stream), 0x78563412u);
  stream.SetPosition(3);
  EXPECT_THROW(ReadDWord(stream), plat::EReadError);
  stream.SetPosition(4);
  EXPECT_THROW(ReadWord(stream), plat::EReadError);
}

TEST(ResourceContainer, ReadsTheIptcBlockAndWritesTheSameBytesBack) {
  TApp14Segment container;
  container.LoadFromAPP13(AsBytes(kPayload));
  ASSERT_EQ(container.BlockCount(), 1u);
  ASSERT_EQ(container.Block(0).DataSetCount(), 2u);
  EXPECT_EQ(container.Block(0).DataSetItem(1).DataSet, 120);
  EXPECT_EQ(container.Block(0).DataSetItem(1).Value, "abc");
  Bytes segment = container.APP13Bytes();
  Bytes expected = "\xFF\xED";
  PutWordBE(expected, static_cast<uint32_t>(kPayload.size() + 2));
  EXPECT_EQ(segment, expected + kPayload);
  plat::TMemoryStream stream;
  container.SaveToAPP13(stream);
  EXPECT_EQ(stream.Position(), 0);
  EXPECT_EQ(Bytes(stream.Bytes().begin(), stream.Bytes().end()), segment);
}

TEST(ResourceContainer, ReadsFlagAndUrlBlocksAndKeepsBlocksItDoesNotModel) {
  Bytes resolution = Block(0x03ED, "", Bytes(16, '\x01'));
  Bytes blocks = resolution + Block(0x040A, "Copyright Flag", "\x01") +
                 Block(0x040B, "Image URL", Bytes("abc\0", 4)) +
                 Block(0x0404, "Caption", DataSet(5, "name"));
  TApp14Segment container;
  container.LoadFromResources(AsBytes(blocks));
  ASSERT_EQ(container.BlockCount(), 3u);
  EXPECT_EQ(container.Block(0).Data, Bytes("\x01\x00", 2));  // the pad byte belongs to it
  EXPECT_EQ(container.Block(1).Data, "abc");
  EXPECT_EQ(container.Block(2).DataSetItem(0).Value, "name");
  ASSERT_EQ(container.OtherBlocks.size(), 1u);
  EXPECT_EQ(container.OtherBlocks[0], resolution);
}

TEST(ResourceContainer, RefusesSizesAndLengthsPastTheEnd) {
  struct Case {
    const char* what;
    Bytes payload;
  };
  Bytes iptc = Block(0x0404, "Caption", DataSet(120, "abc"));
  Bytes long_dataset = Block(0x0404, "Caption",
                             "\x1C\x02\x78\x00\x09"
                             "abc"
                             "\0");
  const Case cases[] = {
      {"header without zero", "Photoshop 3.0"},
      {"block size past the end", Bytes("P\0", 2) + iptc.substr(0, iptc.size() - 2)},
      {"dataset past its block", Bytes("P\0", 2) + long_dataset},
  };
  for (const Case& c : cases) {
    TApp14Segment container;
    EXPECT_THROW(container.LoadFromAPP13(AsBytes(c.payload)), plat::EReadError) << c.what;
  }
}

TEST(ResourceContainer, RefusesContentThatDoesNotFitItsLengthFields) {
  TApp14Segment container;
  TBIMSegment& block = container.AddBlock();
  block.IDHigh = 4;
  block.IDLow = 4;
  block.AddDataSet().Value.assign(kMaxDataSetSize + 1, 'x');
  EXPECT_THROW(container.ResourceBytes(), EJPEG);
  block.DataSets[0].Value.assign(40000, 'x');
  block.AddDataSet().Value.assign(40000, 'y');
  EXPECT_NO_THROW(container.ResourceBytes());
  EXPECT_THROW(container.APP13Bytes(), EJPEG);
}

}  // namespace
}  // namespace pictavo
