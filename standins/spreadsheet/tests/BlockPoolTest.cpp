// The pool behind formula nodes: blocks that never overlap, reuse before
// growth, all slabs but one back once nothing is in use, and the same under
// threads.
#include "BlockPool.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

namespace {

using spreadsheet::BlockPool;

void fill(void* block, size_t size, uint8_t mark) {
    std::memset(block, mark, size);
}

bool holds(const void* block, size_t size, uint8_t mark) {
    const auto* bytes = static_cast<const uint8_t*>(block);
    for (size_t i = 0; i < size; ++i) {
        if (bytes[i] != mark) {
            return false;
        }
    }
    return true;
}

} // namespace

TEST(BlockPool, BlocksAreAlignedApartReusedAndAllGoBackAtTheEnd) {
    constexpr size_t kSize = 40;
    BlockPool pool(kSize);
    std::vector<void*> blocks;
    for (int i = 0; i < 5000; ++i) { // several slabs' worth
        void* block = pool.allocate();
        ASSERT_EQ(reinterpret_cast<uintptr_t>(block) % alignof(std::max_align_t), 0u);
        fill(block, kSize, static_cast<uint8_t>(i));
        blocks.push_back(block);
    }
    for (size_t i = 0; i < blocks.size(); ++i) {
        ASSERT_TRUE(holds(blocks[i], kSize, static_cast<uint8_t>(i))) << "block " << i;
    }
    EXPECT_EQ(pool.blocksInUse(), 5000u);
    const size_t slabs = pool.slabs();
    EXPECT_GT(slabs, 1u);

    void* freed = blocks[1234];
    pool.release(freed);
    EXPECT_EQ(pool.allocate(), freed);
    EXPECT_EQ(pool.slabs(), slabs);

    for (void* block : blocks) {
        pool.release(block);
    }
    EXPECT_EQ(pool.blocksInUse(), 0u);
    EXPECT_EQ(pool.slabs(), 1u);
    // The kept slab serves again from its start, and making and dropping one
    // block over and over takes no other.
    for (int i = 0; i < 1000; ++i) {
        void* again = pool.allocate();
        fill(again, kSize, 0xAB);
        pool.release(again);
    }
    EXPECT_EQ(pool.slabs(), 1u);
    std::vector<void*> refilled;
    for (size_t i = 0; i < 2 * blocks.size(); ++i) {
        refilled.push_back(pool.allocate());
        fill(refilled.back(), kSize, static_cast<uint8_t>(i));
    }
    for (size_t i = 0; i < refilled.size(); ++i) {
        ASSERT_TRUE(holds(refilled[i], kSize, static_cast<uint8_t>(i))) << "block " << i;
        pool.release(refilled[i]);
    }
    pool.release(nullptr);
    EXPECT_EQ(pool.blocksInUse(), 0u);
}

TEST(BlockPool, ThreadsShareOnePoolWithoutSharingBlocks) {
    constexpr size_t kSize = 24;
    BlockPool pool(kSize);
    std::vector<std::thread> threads;
    std::vector<char> intact(4, 0); // not vector<bool>: each thread writes its own element
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            const auto mark = static_cast<uint8_t>(0x10 + t);
            bool ok = true;
            for (int round = 0; round < 20; ++round) {
                std::vector<void*> mine;
                for (int i = 0; i < 500; ++i) {
                    mine.push_back(pool.allocate());
                    fill(mine.back(), kSize, mark);
                }
                for (void* block : mine) {
                    ok = ok && holds(block, kSize, mark);
                    pool.release(block);
                }
            }
            intact[static_cast<size_t>(t)] = ok;
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (int t = 0; t < 4; ++t) {
        EXPECT_TRUE(intact[static_cast<size_t>(t)]) << "thread " << t;
    }
    EXPECT_EQ(pool.blocksInUse(), 0u);
    EXPECT_EQ(pool.slabs(), 1u);
}

// Child lists move between pooled and general blocks as they grow; a block
// handed back to the wrong place would show under the address sanitizer.
TEST(BlockPool, PooledAllocatorKeepsContentsAcrossTheLargestPooledSize) {
    std::vector<uint64_t, spreadsheet::PooledAllocator<uint64_t>> values;
    for (uint64_t i = 0; i < 100; ++i) {
        values.push_back(i * i);
    }
    ASSERT_EQ(values.size(), 100u);
    for (uint64_t i = 0; i < 100; ++i) {
        ASSERT_EQ(values[i], i * i);
    }
    values.resize(3);
    values.shrink_to_fit();
    EXPECT_EQ(values[2], 4u);
    EXPECT_EQ(spreadsheet::pooledBlocks(spreadsheet::kLargestPooledBlock + 1), nullptr);
    EXPECT_NE(spreadsheet::pooledBlocks(1), spreadsheet::pooledBlocks(17));
    EXPECT_EQ(spreadsheet::pooledBlocks(17), spreadsheet::pooledBlocks(32));
}
