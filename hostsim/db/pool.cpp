// Pools of records in large blocks.
#include "db/pool.h"

#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace hs {

namespace {
std::size_t g_freeBytes = 0;
}  // namespace

std::size_t poolFreeBytes() {
    return g_freeBytes;
}

void* allocatePoolBlock(std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (bytes == kPoolBlockBytes) {
        void* p = ::operator new(bytes, std::align_val_t(kPoolBlockBytes), std::nothrow);
        if (p != nullptr)
            madvise(p, bytes, MADV_HUGEPAGE);  // a hint: without it the block is still usable
        return p;
    }
#endif
    return ::operator new(bytes, std::nothrow);
}

void freePoolBlock(void* p, std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (bytes == kPoolBlockBytes) {
        ::operator delete(p, std::align_val_t(kPoolBlockBytes));
        return;
    }
#endif
    (void)bytes;
    ::operator delete(p);
}

RecordPool::RecordPool(std::size_t recordSize)
    : m_size(((recordSize > sizeof(Node) ? recordSize : sizeof(Node)) + 7) / 8 * 8) {}

void* RecordPool::take() {
    if (m_free != nullptr) {
        Node* n = m_free;
        m_free = n->next;
        g_freeBytes -= m_size;
        return n;
    }
    if (static_cast<std::size_t>(m_end - m_next) < m_size) {
        std::size_t bytes = nextPoolBlockSize(m_blockBytes);
        while (bytes < m_size)
            bytes *= 2;
        unsigned char* block = static_cast<unsigned char*>(allocatePoolBlock(bytes));
        if (block == nullptr)
            return nullptr;
        m_blockBytes = bytes;
        m_next = block;
        m_end = block + bytes;
    }
    void* p = m_next;
    m_next += m_size;
    return p;
}

void RecordPool::give(void* p) {
    if (p == nullptr)
        return;
    Node* n = static_cast<Node*>(p);
    n->next = m_free;
    m_free = n;
    g_freeBytes += m_size;
}

#if HS_POOL_RECORDS
namespace {

// Sizes up to this come from the pools, in steps of 8 bytes.
constexpr std::size_t kLargestPooled = 1024;
constexpr std::size_t kStep = 8;
constexpr std::size_t kClasses = kLargestPooled / kStep;
// Each allocation starts with its class, 0 for one from the heap. Database
// objects hold pointers, integers and doubles: 8 bytes align them.
constexpr std::size_t kHeader = 8;

RecordPool* poolOfClass(std::size_t sizeClass) {
    // Never destroyed: objects may still be deleted while the program ends.
    static RecordPool** pools = new RecordPool*[kClasses + 1]();
    RecordPool*& pool = pools[sizeClass];
    if (pool == nullptr)
        pool = new RecordPool(sizeClass * kStep);
    return pool;
}

}  // namespace
#endif

void* poolAllocate(std::size_t size) {
#if HS_POOL_RECORDS
    std::size_t total = size + kHeader;
    std::size_t sizeClass = total <= kLargestPooled ? (total + kStep - 1) / kStep : 0;
    unsigned char* p = nullptr;
    if (sizeClass != 0)
        p = static_cast<unsigned char*>(poolOfClass(sizeClass)->take());
    else
        p = static_cast<unsigned char*>(::operator new(total, std::nothrow));
    if (p == nullptr)
        return nullptr;
    *reinterpret_cast<std::size_t*>(p) = sizeClass;
    return p + kHeader;
#else
    return ::operator new(size, std::nothrow);
#endif
}

void poolFree(void* p) {
    if (p == nullptr)
        return;
#if HS_POOL_RECORDS
    unsigned char* base = static_cast<unsigned char*>(p) - kHeader;
    std::size_t sizeClass = *reinterpret_cast<std::size_t*>(base);
    if (sizeClass == 0)
        ::operator delete(base);
    else
        poolOfClass(sizeClass)->give(base);
#else
    ::operator delete(p);
#endif
}

}  // namespace hs
