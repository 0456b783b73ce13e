#include "BlockPool.h"

#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define QUIRE_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUIRE_ADDRESS_SANITIZER 1
#endif
#endif

// Blocks on the free list are poisoned, so that the address sanitizer still
// catches a node used after it was released.
#if defined(QUIRE_ADDRESS_SANITIZER)
#include <sanitizer/asan_interface.h>
#define QUIRE_POISON(p, n) ASAN_POISON_MEMORY_REGION((p), (n))
#define QUIRE_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION((p), (n))
#else
#define QUIRE_POISON(p, n) ((void)(p), (void)(n))
#define QUIRE_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace spreadsheet {

namespace {

constexpr size_t kAlignment = alignof(std::max_align_t);
// Below the size at which the general heap maps pages of its own, so that a
// slab is as cheap to get as any block.
constexpr size_t kSlabBytes = 64 * 1024;
constexpr size_t kSlabHeader = (sizeof(void*) + kAlignment - 1) / kAlignment * kAlignment;

size_t alignedSize(size_t bytes) {
    const size_t size = bytes < sizeof(void*) ? sizeof(void*) : bytes;
    return (size + kAlignment - 1) / kAlignment * kAlignment;
}

} // namespace

BlockPool::BlockPool(size_t blockSize)
    : blockSize_(alignedSize(blockSize)),
      blocksPerSlab_((kSlabBytes - kSlabHeader) / blockSize_ > 0
                         ? (kSlabBytes - kSlabHeader) / blockSize_
                         : 1) {}

BlockPool::~BlockPool() {
    // Blocks still in use at this point belong to objects that outlive the
    // pool; their memory is left to the process rather than freed under them.
    if (inUse_ == 0) {
        releaseSlabs(0);
    }
}

void BlockPool::addSlab() {
    const size_t bytes = kSlabHeader + blocksPerSlab_ * blockSize_;
    auto* raw = static_cast<std::byte*>(::operator new(bytes));
    auto* slab = reinterpret_cast<Slab*>(raw);
    slab->next = slabs_;
    slabs_ = slab;
    ++slabCount_;
    untouched_ = raw + kSlabHeader;
    untouchedBlocks_ = blocksPerSlab_;
    QUIRE_POISON(untouched_, blocksPerSlab_ * blockSize_);
}

void BlockPool::releaseSlabs(size_t keep) noexcept {
    Slab* kept = nullptr;
    while (slabs_ != nullptr) {
        Slab* next = slabs_->next;
        if (keep > 0 && kept == nullptr) {
            kept = slabs_;
        } else {
            QUIRE_UNPOISON(reinterpret_cast<std::byte*>(slabs_) + kSlabHeader,
                           blocksPerSlab_ * blockSize_);
            ::operator delete(slabs_);
        }
        slabs_ = next;
    }
    slabs_ = kept;
    slabCount_ = kept ? 1 : 0;
    free_ = nullptr;
    untouched_ = kept ? reinterpret_cast<std::byte*>(kept) + kSlabHeader : nullptr;
    untouchedBlocks_ = kept ? blocksPerSlab_ : 0;
    if (kept) {
        kept->next = nullptr;
        QUIRE_POISON(untouched_, blocksPerSlab_ * blockSize_);
    }
}

void* BlockPool::allocate() {
    std::lock_guard<std::mutex> lock(mutex_);
    void* block;
    if (free_ != nullptr) {
        QUIRE_UNPOISON(free_, blockSize_);
        block = free_;
        free_ = free_->next;
    } else {
        if (untouchedBlocks_ == 0) {
            addSlab();
        }
        block = untouched_;
        untouched_ += blockSize_;
        --untouchedBlocks_;
        QUIRE_UNPOISON(block, blockSize_);
    }
    ++inUse_;
    return block;
}

void BlockPool::release(void* block) noexcept {
    if (block == nullptr) {
        return;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    if (--inUse_ == 0) {
        // One slab stays, so that an object made and dropped again and again
        // (a Range for every cell read) never reaches the general heap.
        releaseSlabs(1);
        return;
    }
    auto* freed = static_cast<FreeBlock*>(block);
    freed->next = free_;
    free_ = freed;
    QUIRE_POISON(block, blockSize_);
}

BlockPool* pooledBlocks(size_t bytes) {
    constexpr size_t kStep = 16;
    constexpr size_t kClasses = kLargestPooledBlock / kStep;
    static BlockPool* const* const pools = [] {
        static BlockPool* made[kClasses];
        for (size_t i = 0; i < kClasses; ++i) {
            made[i] = new BlockPool((i + 1) * kStep);
        }
        return made;
    }();
    if (bytes > kLargestPooledBlock) {
        return nullptr;
    }
    return pools[bytes == 0 ? 0 : (bytes - 1) / kStep];
}

void* allocatePooled(size_t bytes) {
    if (BlockPool* pool = pooledBlocks(bytes)) {
        return pool->allocate();
    }
    return ::operator new(bytes);
}

void releasePooled(void* block, size_t bytes) noexcept {
    if (BlockPool* pool = pooledBlocks(bytes)) {
        pool->release(block);
    } else {
        ::operator delete(block);
    }
}

size_t BlockPool::blocksInUse() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return inUse_;
}

size_t BlockPool::slabs() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return slabCount_;
}

} // namespace spreadsheet
