#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

#include "image.h"

namespace imgproc {

namespace {

// Buffers are 64-byte aligned for FFTW and SIMD. A header in front of the
// data holds the float count the image asked for (what capacity() reports)
// and the size of the block actually held, which may be larger when a cached
// block is reused.
constexpr size_t kAlignment = 64;

struct BlockHeader {
    size_t floats;
    size_t blockFloats;
};
static_assert(sizeof(BlockHeader) <= kAlignment);

BlockHeader* headerOf(float* buffer) {
    return reinterpret_cast<BlockHeader*>(reinterpret_cast<unsigned char*>(buffer) - kAlignment);
}

float* allocateBlock(size_t floats) {
    void* raw = ::operator new(kAlignment + floats * sizeof(float), std::align_val_t(kAlignment));
    auto* buffer = reinterpret_cast<float*>(static_cast<unsigned char*>(raw) + kAlignment);
    *headerOf(buffer) = BlockHeader{floats, floats};
    return buffer;
}

void freeBlock(float* buffer) {
    ::operator delete(static_cast<void*>(headerOf(buffer)), std::align_val_t(kAlignment));
}

// Every transform and element-wise step of the engine makes a fresh image of
// the same few sizes. Fresh large blocks come straight from the kernel and
// fault in page by page, so each thread keeps a handful of recently released
// large blocks for reuse. The cache is bounded, and it is emptied when its
// thread ends (a run's worker thread gives everything back at its end).
#ifdef __SANITIZE_ADDRESS__
// Under AddressSanitizer every block goes back to the heap, so a use after
// release is still caught.
constexpr size_t kCachedMinimumFloats = SIZE_MAX;
#else
constexpr size_t kCachedMinimumFloats = size_t{1} << 16;  // 256 KiB
#endif
constexpr size_t kCachedTotalFloats = size_t{1} << 23;  // 32 MiB per thread
constexpr size_t kCachedBlocks = 4;

// Set once this thread's cache has been destroyed: buffers released later in
// the thread's exit go straight back to the heap.
thread_local bool cacheClosed = false;

struct BlockCache {
    std::vector<float*> blocks;  // most recently released last
    size_t totalFloats = 0;

    BlockCache() { blocks.reserve(kCachedBlocks + 1); }
    ~BlockCache() {
        for (float* block : blocks) freeBlock(block);
        blocks.clear();
        cacheClosed = true;
    }

    float* take(size_t floats) {
        // Best fit among blocks no more than a quarter larger than asked.
        size_t best = blocks.size();
        for (size_t i = 0; i < blocks.size(); ++i) {
            const size_t size = headerOf(blocks[i])->blockFloats;
            if (size >= floats && size <= floats + floats / 4 &&
                (best == blocks.size() || size < headerOf(blocks[best])->blockFloats))
                best = i;
        }
        if (best == blocks.size()) return nullptr;
        float* block = blocks[best];
        blocks.erase(blocks.begin() + static_cast<std::ptrdiff_t>(best));
        totalFloats -= headerOf(block)->blockFloats;
        headerOf(block)->floats = floats;
        return block;
    }

    void give(float* block) {
        const size_t size = headerOf(block)->blockFloats;
        if (size > kCachedTotalFloats) {
            freeBlock(block);
            return;
        }
        blocks.push_back(block);
        totalFloats += size;
        while (blocks.size() > kCachedBlocks || totalFloats > kCachedTotalFloats) {
            totalFloats -= headerOf(blocks.front())->blockFloats;
            freeBlock(blocks.front());
            blocks.erase(blocks.begin());
        }
    }
};

thread_local BlockCache cache;

}  // namespace

float* Image::allocateBuffer(size_t floats) {
    if (floats >= kCachedMinimumFloats && !cacheClosed) {
        if (float* reused = cache.take(floats)) return reused;
    }
    return allocateBlock(floats);
}

void Image::releaseBuffer(float* buffer) {
    if (!buffer) return;
    if (headerOf(buffer)->blockFloats >= kCachedMinimumFloats && !cacheClosed) {
        cache.give(buffer);
        return;
    }
    freeBlock(buffer);
}

size_t Image::capacity() const { return data ? headerOf(data)->floats : 0; }

}  // namespace imgproc
