#include "strings/random/chacha20.h"

#include <gtest/gtest.h>

#include <set>

namespace tarn {
namespace {

// The block function's published test vector: key 00 01 .. 1f, nonce
// 00 00 00 09 00 00 00 4a 00 00 00 00, block counter 1.
TEST(ChaCha20, GivesThePublishedBlockForTheTestVector) {
  ChaCha20::Key key{};
  for (uint32_t i = 0; i < 8; ++i) {
    const uint32_t b = 4 * i;
    key[i] = b | (b + 1) << 8 | (b + 2) << 16 | (b + 3) << 24;
  }
  ChaCha20 stream(key, {0x09000000, 0x4a000000, 0x00000000}, 1);
  const ChaCha20::Block expected = {0xe4e7f110, 0x15593bd1, 0x1fdd0f50, 0xc47120a3, 0xc7f4d1c7, 0x0368c033,
                                    0x9aaa2204, 0x4e6cd4c3, 0x466482d2, 0x09aa9f07, 0x05d7c214, 0xa2028bd9,
                                    0xd19c12b5, 0xb94e16de, 0xe883d0cb, 0x4e3c50a2};
  EXPECT_EQ(stream.NextBlock(), expected);
}

TEST(ChaCha20, EachBlockMovesTheCounterOn) {
  ChaCha20 stream({1, 2, 3, 4, 5, 6, 7, 8}, {9, 10, 11}, 0);
  ChaCha20 from_one({1, 2, 3, 4, 5, 6, 7, 8}, {9, 10, 11}, 1);
  const ChaCha20::Block first = stream.NextBlock();
  const ChaCha20::Block second = stream.NextBlock();
  EXPECT_NE(first, second);
  EXPECT_EQ(second, from_one.NextBlock());
}

// Four blocks at once are the next four single blocks, also where the block
// counter wraps around within them.
TEST(ChaCha20, FourBlocksAtOnceAreTheNextFourBlocks) {
  for (const uint32_t counter : {0u, 7u, 0xFFFFFFFEu}) {
    ChaCha20 single({1, 2, 3, 4, 5, 6, 7, 8}, {9, 10, 11}, counter);
    ChaCha20 four({1, 2, 3, 4, 5, 6, 7, 8}, {9, 10, 11}, counter);
    for (int round = 0; round < 3; ++round) {
      const ChaCha20::FourBlocks got = four.NextFourBlocks();
      for (int block = 0; block < 4; ++block) {
        const ChaCha20::Block expected = single.NextBlock();
        for (int i = 0; i < 16; ++i) {
          ASSERT_EQ(got[16 * block + i], expected[i])
              << "counter " << counter << " round " << round << " block " << block;
        }
      }
    }
  }
}

}  // namespace
}  // namespace tarn
