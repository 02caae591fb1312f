#include <gtest/gtest.h>

#include "platform/byte_reader.h"
#include "tools/common/byte_writer.h"

namespace ml::tools {
namespace {

TEST(ByteFieldsTest, WrittenFieldsReadBackInBothOrders) {
  std::vector<std::uint8_t> out;
  putLe16(out, 0xBEEF);
  putLe32(out, 0x12345678);
  putBe16(out, 0xCAFE);
  putBe32(out, 0x9ABCDEF0);
  putLe32(out, 0);
  patchLe32(out, 12, 0xFFFFFFFE);  // -2
  ASSERT_EQ(out.size(), 16u);
  EXPECT_EQ(out[2], 0x78);  // little-endian: low byte first
  EXPECT_EQ(out[6], 0xCA);  // big-endian: high byte first

  ByteReader r(out.data(), out.size());
  EXPECT_EQ(r.u16le(), 0xBEEF);
  EXPECT_EQ(r.u32le(), 0x12345678u);
  EXPECT_EQ(r.u16be(), 0xCAFE);
  EXPECT_EQ(r.u32be(), 0x9ABCDEF0u);
  EXPECT_EQ(r.i32le(), -2);
  EXPECT_EQ(r.remaining(), 0u);
  EXPECT_TRUE(r.ok());
}

TEST(ByteFieldsTest, ReadingPastTheEndYieldsZerosAndStaysFailed) {
  const std::uint8_t bytes[] = {1, 2, 3, 4, 5};
  ByteReader r(bytes, sizeof bytes);
  EXPECT_EQ(r.u32be(), 0x01020304u);
  EXPECT_EQ(r.u16le(), 0);  // one byte left: nothing is read
  EXPECT_TRUE(r.failed());
  EXPECT_EQ(r.position(), 4u);
  EXPECT_EQ(r.u8(), 0);  // the error is sticky even where a byte would fit
  EXPECT_TRUE(r.bytes(1).empty());

  ByteReader s(bytes, sizeof bytes);
  EXPECT_TRUE(s.seek(5));  // the end itself is a position
  EXPECT_FALSE(s.seek(6));
  EXPECT_TRUE(s.failed());

  ByteReader whole(bytes, sizeof bytes);
  whole.skip(1);
  ByteReader part = whole.sub(2);  // bytes 2 and 3 only
  EXPECT_EQ(whole.position(), 3u);
  EXPECT_EQ(part.u16be(), 0x0203);
  EXPECT_EQ(part.u8(), 0);
  EXPECT_TRUE(part.failed());
  EXPECT_TRUE(whole.ok());  // a failed part leaves its parent alone
  EXPECT_EQ(whole.sub(3).size(), 0u);  // only two bytes remain
  EXPECT_TRUE(whole.failed());
}

}  // namespace
}  // namespace ml::tools
