#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core/common/binary_reader.h"

namespace {

TEST(BinaryReader, ReadsBothByteOrders) {
    const std::vector<std::uint8_t> b = {0x01, 0x02, 0x03, 0x04, 0xFF, 0xFF};
    fw::BinaryReader r(b);
    EXPECT_EQ(*r.u32le(), 0x04030201u);
    EXPECT_EQ(*r.i16le(), -1);
    r.seek(0);
    EXPECT_EQ(*r.u32be(), 0x01020304u);
    EXPECT_EQ(*r.u16be(), 0xFFFFu);
    EXPECT_TRUE(r.atEnd());
    EXPECT_FALSE(r.failed());
}

TEST(BinaryReader, NeverReadsPastItsWindow) {
    const std::vector<std::uint8_t> b = {1, 2, 3};
    fw::BinaryReader r(b);
    EXPECT_FALSE(r.u32le());
    EXPECT_TRUE(r.failed());
    EXPECT_EQ(r.pos(), 0u);  // a failed read leaves the cursor
    EXPECT_EQ(*r.u16le(), 0x0201);
    EXPECT_FALSE(r.bytes(2));
    EXPECT_EQ(r.bytesUpTo(100).size(), 1u);
    EXPECT_FALSE(r.skip(static_cast<std::size_t>(-1)));  // a huge size field cannot wrap around
    EXPECT_FALSE(r.seek(4));
    EXPECT_FALSE(r.u32leAt(static_cast<std::size_t>(-2)));
}

TEST(BinaryReader, SubWindowIsClampedAndKeepsFileOffsets) {
    const std::vector<std::uint8_t> b = {0, 1, 2, 3, 4, 5};
    fw::BinaryReader r(b, 1000);
    r.skip(2);
    auto sub = r.sub(10);
    EXPECT_EQ(sub.size(), 4u);
    EXPECT_EQ(sub.filePos(), 1002u);
    EXPECT_TRUE(r.atEnd());
    EXPECT_EQ(*sub.u8(), 2);
}

}  // namespace
