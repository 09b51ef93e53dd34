// Surface memory is zero however it was used before, whatever its size.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/gdi/pixel_memory.h"

using platform::gdi::PixelBlock;

namespace {

bool AllZero(const PixelBlock& block, size_t bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(block.get());
  return std::all_of(p, p + bytes, [](unsigned char c) { return c == 0; });
}

}  // namespace

TEST(PixelMemory, BlocksComeZeroedAfterReuseAndDoNotOverlap) {
  for (size_t bytes : {size_t{4}, size_t{120 * 120 * 4}, size_t{119 * 90 * 4}, size_t{480 * 800 * 4}}) {
    for (int round = 0; round < 3; ++round) {
      std::vector<std::unique_ptr<PixelBlock>> blocks;
      for (int i = 0; i < 20; ++i) {
        blocks.push_back(std::make_unique<PixelBlock>(bytes));
        ASSERT_TRUE(AllZero(*blocks.back(), bytes)) << bytes << " round " << round;
        std::memset(blocks.back()->get(), i + 1, bytes);
      }
      // Had two blocks shared memory, the later one's bytes would show in the earlier one.
      for (int i = 0; i < 20; ++i) {
        const auto* p = reinterpret_cast<const unsigned char*>(blocks[i]->get());
        EXPECT_TRUE(std::all_of(p, p + bytes, [i](unsigned char c) { return c == i + 1; })) << bytes << " " << i;
      }
    }
  }
}
