// The huge-page hint: it never changes what a block holds, whatever its
// alignment or size, and it accepts blocks too small for it.
#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <vector>

#include "platform/huge_pages.h"

using ostrel::platform::AdviseHugePages;

TEST(HugePages, TheHintLeavesTheContentsOfAFilledBlockAlone) {
    std::vector<std::uint32_t> block(12u << 20 >> 2);
    std::iota(block.begin(), block.end(), 7u);
    // Unaligned start and end inside the block.
    AdviseHugePages(reinterpret_cast<const char*>(block.data()) + 3, block.size() * 4 - 5);
    for (std::size_t i = 0; i < block.size(); i += 4099) ASSERT_EQ(block[i], i + 7) << i;
    EXPECT_EQ(block.back(), block.size() + 6);
}

TEST(HugePages, BlocksTooSmallOrAbsentAreAccepted) {
    AdviseHugePages(nullptr, 0);
    AdviseHugePages(nullptr, 64u << 20);
    char small[64] = {1};
    AdviseHugePages(small, sizeof small);
    EXPECT_EQ(small[0], 1);
    // A block filled after the hint reads back what was written.
    std::vector<double> later;
    later.reserve(2u << 20);
    AdviseHugePages(later.data(), later.capacity() * sizeof(double));
    for (int i = 0; i < (2 << 20); ++i) later.push_back(i * 0.5);
    EXPECT_EQ(later[123457], 123457 * 0.5);
}
