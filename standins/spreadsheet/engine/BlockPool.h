#pragma once

#include <cstddef>
#include <limits>
#include <mutex>
#include <new>

namespace spreadsheet {

// Blocks of one size carved from large slabs and taken back onto a free list.
// A workbook holds millions of small formula nodes: made here they cost no
// trip through the general heap, lie side by side in the order they were
// made, and go back in one step (all but one slab) when the last of them is
// released, as when a large workbook is closed.  Safe to share between threads.
class BlockPool {
public:
    // `blockSize` is rounded up to keep every block aligned for any object.
    explicit BlockPool(size_t blockSize);
    BlockPool(const BlockPool&) = delete;
    BlockPool& operator=(const BlockPool&) = delete;
    ~BlockPool();

    // Throws std::bad_alloc when no slab can be had.
    void* allocate();
    void release(void* block) noexcept;

    size_t blocksInUse() const;
    size_t slabs() const;

private:
    struct FreeBlock {
        FreeBlock* next;
    };
    struct Slab {
        Slab* next;
    };

    void addSlab();
    // Frees every slab but `keep` (0 or 1) and makes the kept one new again.
    void releaseSlabs(size_t keep) noexcept;

    const size_t blockSize_;
    const size_t blocksPerSlab_;
    mutable std::mutex mutex_;
    Slab* slabs_ = nullptr;
    size_t slabCount_ = 0;
    FreeBlock* free_ = nullptr;
    // The part of the newest slab that has never been handed out.
    std::byte* untouched_ = nullptr;
    size_t untouchedBlocks_ = 0;
    size_t inUse_ = 0;
};

// The process's pool for blocks of up to `bytes`, in steps of 16 bytes; null
// past kLargestPooledBlock.  Never destroyed, so that objects held by statics
// elsewhere may still give their blocks back at exit.
inline constexpr size_t kLargestPooledBlock = 160;
BlockPool* pooledBlocks(size_t bytes);
// A block of `bytes` from its pool, or from the general heap past the largest
// pooled size; given back with the same size.  For class operators new and
// delete.
void* allocatePooled(size_t bytes);
void releasePooled(void* block, size_t bytes) noexcept;

// An allocator for the small, numerous pieces of a formula: its nodes' child
// lists and the formula itself.  Larger requests go to the general heap.
template <typename T> struct PooledAllocator {
    using value_type = T;

    PooledAllocator() = default;
    template <typename U> PooledAllocator(const PooledAllocator<U>&) {}

    T* allocate(size_t n) {
        if (n > std::numeric_limits<size_t>::max() / sizeof(T)) {
            throw std::bad_array_new_length();
        }
        return static_cast<T*>(allocatePooled(n * sizeof(T)));
    }
    void deallocate(T* p, size_t n) noexcept { releasePooled(p, n * sizeof(T)); }
    template <typename U>
    friend bool operator==(const PooledAllocator&, const PooledAllocator<U>&) {
        return true;
    }
};

} // namespace spreadsheet
