// Memory for the records a drawing has by the hundred thousand: database
// objects, their stubs and property records. They come from large blocks
// through free lists, which spares an allocation per record and, on Linux,
// lets the blocks use huge pages, so that filling a large drawing does not
// take a page fault every few records. Internal to hostsim/db.
//
// Builds with the address sanitizer allocate every record on its own, so that
// a use after free is still found.
#pragma once
#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
#define HS_POOL_RECORDS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define HS_POOL_RECORDS 0
#endif
#endif
#ifndef HS_POOL_RECORDS
#define HS_POOL_RECORDS 1
#endif

namespace hs {

// A block for records and its release. Blocks grow from small ones (a small
// drawing takes little memory) to kPoolBlockBytes, which are huge pages where
// the system has them.
constexpr std::size_t kPoolBlockBytes = std::size_t(2) << 20;
void* allocatePoolBlock(std::size_t bytes);
void freePoolBlock(void* p, std::size_t bytes);
// The size of the next block after one of `bytes`: a small drawing takes
// 64 KB and then 256 KB per record size; beyond that, large blocks, which
// are made ready ahead of need.
inline std::size_t nextPoolBlockSize(std::size_t bytes) {
    return bytes == 0                         ? std::size_t(64) << 10
           : bytes < (std::size_t(256) << 10) ? 4 * bytes
                                              : kPoolBlockBytes;
}

// Records of one size, handed out and taken back through a free list. The
// blocks are kept for the next records, never given back.
class RecordPool {
public:
    explicit RecordPool(std::size_t recordSize);
    RecordPool(const RecordPool&) = delete;
    RecordPool& operator=(const RecordPool&) = delete;

    void* take();
    void give(void* p);
    std::size_t recordSize() const { return m_size; }

private:
    struct Node {
        Node* next;
    };
    std::size_t m_size;
    Node* m_free = nullptr;
    unsigned char* m_next = nullptr;  // unused space of the last block
    unsigned char* m_end = nullptr;
    std::size_t m_blockBytes = 0;
};

// Any size, for the objects' operator new and delete: small sizes come from
// one pool per 8 bytes (aligned to 8), larger ones from the heap. Null when
// out of memory.
void* poolAllocate(std::size_t size);
void poolFree(void* p);

// Bytes of records given back and waiting in the free lists of all pools, to
// be taken again before new blocks are made (for measuring memory).
std::size_t poolFreeBytes();
// Bytes of the large blocks taken straight from the system, which the C
// heap's own figures do not count (0 where blocks come from the heap).
std::size_t poolMappedBytes();

}  // namespace hs
