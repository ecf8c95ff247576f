// Writing behind the producer: bytes reach the sink whole and in order,
// failures of the sink come back to the producer, small outputs need no
// thread, and pages of a block are faulted in ahead of its filler only
// within the window.
#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "cad/write_behind.h"
#include "platform/prefault.h"

using ostrel::cad::WriteBehind;
using ostrel::platform::PrefaultAhead;

TEST(WriteBehind, BytesArriveWholeAndInOrderAcrossManyBlocks) {
    std::string received;
    std::vector<std::size_t> blockSizes;
    std::string sent;
    {
        WriteBehind behind(
            [&](const char* data, std::size_t size) {
                received.append(data, size);
                blockSizes.push_back(size);
            },
            4096, 3);
        std::mt19937 rng(4);
        for (int i = 0; i < 3000; ++i) {
            std::string piece(rng() % 700, '\0');
            for (auto& c : piece) c = static_cast<char>('a' + rng() % 26);
            if (i % 500 == 0) piece.assign(20000, static_cast<char>('A' + i % 26));   // larger than a block
            behind.Put(piece.data(), piece.size());
            sent += piece;
        }
        behind.Drain();
        EXPECT_EQ(received.size(), sent.size());
    }
    EXPECT_EQ(received, sent);
    ASSERT_GT(blockSizes.size(), 100u);
    for (std::size_t i = 0; i + 1 < blockSizes.size(); ++i) ASSERT_EQ(blockSizes[i], 4096u) << i;
}

TEST(WriteBehind, ASmallOutputIsWrittenOnTheCallersThreadByDrain) {
    const auto caller = std::this_thread::get_id();
    std::vector<std::thread::id> writers;
    std::string received;
    WriteBehind behind(
        [&](const char* data, std::size_t size) {
            writers.push_back(std::this_thread::get_id());
            received.append(data, size);
        },
        1 << 16);
    behind.Put("0\nSECTION\n", 10);
    EXPECT_TRUE(received.empty());   // nothing before Drain
    behind.Drain();
    EXPECT_EQ(received, "0\nSECTION\n");
    behind.Put("\n", 1);            // a tail of one byte is written too
    behind.Drain();
    EXPECT_EQ(received, "0\nSECTION\n\n");
    ASSERT_EQ(writers.size(), 2u);
    EXPECT_EQ(writers[0], caller);
}

TEST(WriteBehind, AFailingSinkStopsTheWritingAndReachesTheProducer) {
    int calls = 0;
    std::string received;
    WriteBehind behind(
        [&](const char* data, std::size_t size) {
            if (++calls == 3) throw std::runtime_error("disk full");
            received.append(data, size);
        },
        4096, 2);
    const std::string piece(100, 'x');
    bool thrown = false;
    try {
        for (int i = 0; i < 10000; ++i) behind.Put(piece.data(), piece.size());
        behind.Drain();
    } catch (const std::runtime_error& e) {
        thrown = true;
        EXPECT_STREQ(e.what(), "disk full");
    }
    EXPECT_TRUE(thrown);
    EXPECT_EQ(calls, 3);                 // nothing was written after the failure
    EXPECT_EQ(received.size(), 8192u);   // the two blocks before it
    // It stays failed.
    EXPECT_THROW(behind.Drain(), std::runtime_error);
}

TEST(WriteBehind, DestroyingWithoutDrainDropsThePendingBlocks) {
    std::size_t written = 0;
    {
        WriteBehind behind(
            [&](const char*, std::size_t size) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                written += size;
            },
            4096, 3);
        const std::string piece(4096, 'y');
        for (int i = 0; i < 3; ++i) behind.Put(piece.data(), piece.size());
    }
    // At most the block the thread had already taken; the queued ones are dropped.
    EXPECT_LE(written, 4096u);
}

namespace {

// Resident pages of [from, to) of a page-aligned block.
std::size_t Resident(char* block, std::size_t from, std::size_t to) {
    const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    std::vector<unsigned char> v((to - from) / page);
    if (::mincore(block + from, to - from, v.data()) != 0) return 0;
    std::size_t n = 0;
    for (unsigned char c : v) n += c & 1;
    return n;
}

} // namespace

TEST(PrefaultAhead, PagesAheadOfTheFillerAreFaultedInWithinTheWindowOnly) {
    constexpr std::size_t kBlock = std::size_t{64} << 20, kWindow = std::size_t{4} << 20;
    void* raw = ::mmap(nullptr, kBlock, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(raw, MAP_FAILED);
    char* block = static_cast<char*>(raw);
    const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    {
        PrefaultAhead prefault(block, kBlock, kWindow);
        // Fill 8 MB, announcing the progress as the conversion does.
        for (std::size_t i = 0; i < (std::size_t{8} << 20); i += 64) {
            std::memset(block + i, static_cast<int>(i / 64 % 251), 64);
            prefault.Reached(i + 64);
        }
        // The window after the filled part becomes resident.
        const std::size_t ahead = (std::size_t{8} << 20) + kWindow - (std::size_t{2} << 20);
        bool ready = false;
        for (int wait = 0; wait < 500 && !ready; ++wait) {
            ready = Resident(block, std::size_t{8} << 20, ahead) == (ahead - (std::size_t{8} << 20)) / page;
            if (!ready) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
#ifdef MADV_POPULATE_WRITE
        if (!ready && ::madvise(block + (std::size_t{40} << 20), page, MADV_POPULATE_WRITE) != 0)
            GTEST_SKIP() << "this kernel cannot populate pages";
        EXPECT_TRUE(ready) << "the pages ahead of the filler were not faulted in";
#endif
    }
    // Far beyond the window nothing was touched, and the contents are the filler's.
    EXPECT_EQ(Resident(block, std::size_t{16} << 20, std::size_t{40} << 20), 0u);
    for (std::size_t i = 0; i < (std::size_t{8} << 20); i += 4096 + 64)
        ASSERT_EQ(static_cast<unsigned char>(block[i]), i / 64 % 251) << i;
    EXPECT_EQ(block[(std::size_t{10} << 20) + 5], 0);   // populated pages read as zero
    ::munmap(raw, kBlock);
}
