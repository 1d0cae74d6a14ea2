// Pools of records in large blocks.
#include "db/pool.h"

#include <new>

#include "core/os.h"

// Large blocks come straight from the system on Linux. Not in sanitizer
// builds: the leak checker does not look for pointers in such memory, so
// objects the blocks point to would be reported as lost.
#if defined(__linux__) && HS_POOL_RECORDS
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>
#define HS_BLOCK_RESERVE 1
#else
#define HS_BLOCK_RESERVE 0
#endif

namespace hs {

namespace {
std::size_t g_freeBytes = 0;

#if HS_BLOCK_RESERVE
std::atomic<std::size_t> g_mappedBytes{0};

// A block of kPoolBlockBytes aligned to its size, straight from the system
// (so that it can be a huge page and takes no more address space than it
// needs), or null.
void* newLargeBlock() {
    void* p = os::mapHugeAligned(kPoolBlockBytes);
    if (p != nullptr)
        g_mappedBytes += kPoolBlockBytes;
    return p;
}

void deleteLargeBlock(void* p) {
    os::unmapHugeAligned(p, kPoolBlockBytes);
    g_mappedBytes -= kPoolBlockBytes;
}

// Large blocks made ready ahead of need. The system clears a page when it is
// first touched, and while a large drawing is read that is about a third of
// the time; a helper thread touches the next blocks on another processor
// while this one fills the current block. Blocks a database gives back wait
// here for the next drawing, up to a few. Never destroyed: the helper waits
// on it until the program ends.
class BlockReserve {
public:
    static BlockReserve& get() {
        static BlockReserve* s_reserve = new BlockReserve();
        return *s_reserve;
    }

    // A ready block, or null when none is ready (the caller makes its own).
    void* take() {
        std::lock_guard<std::mutex> lock(m_mutex);
        void* p = nullptr;
        if (!m_ready.empty()) {
            p = m_ready.back();
            m_ready.pop_back();
            m_bytes -= kPoolBlockBytes;
        }
        // Records are being made in large blocks: have the next ones ready.
        m_wanted = kAhead;
        startHelper();
        m_wake.notify_one();
        return p;
    }

    // Keeps a block given back for later, unless enough wait already.
    bool keep(void* p) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_ready.size() >= kKept)
            return false;
        m_ready.push_back(p);
        m_bytes += kPoolBlockBytes;
        return true;
    }

    std::size_t bytes() const { return m_bytes.load(); }

private:
    static constexpr std::size_t kAhead = 2;  // blocks made ready ahead of need
    static constexpr std::size_t kKept = 8;   // blocks given back that are kept

    void startHelper() {
        if (m_started)
            return;
        m_started = true;
        try {
            std::thread([this] { run(); }).detach();
        } catch (const std::system_error&) {
            // No thread: blocks are made when needed, as without the reserve.
        }
    }

    void run() {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_ready.size() < m_wanted; });
            lock.unlock();
            void* p = newLargeBlock();
            if (p != nullptr) {
                m_bytes += kPoolBlockBytes;
                // One write per page makes the system provide and clear it now.
                volatile unsigned char* bytes = static_cast<unsigned char*>(p);
                for (std::size_t i = 0; i < kPoolBlockBytes; i += 4096)
                    bytes[i] = 0;
            }
            lock.lock();
            if (p == nullptr) {
                m_wanted = 0;  // out of memory: stop until blocks are taken again
                continue;
            }
            m_ready.push_back(p);
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::vector<void*> m_ready;
    std::size_t m_wanted = 0;
    std::atomic<std::size_t> m_bytes{0};
    bool m_started = false;
};
#endif
}  // namespace

std::size_t poolMappedBytes() {
#if HS_BLOCK_RESERVE
    return g_mappedBytes.load();
#else
    return 0;
#endif
}

std::size_t poolFreeBytes() {
#if HS_BLOCK_RESERVE
    return g_freeBytes + BlockReserve::get().bytes();
#else
    return g_freeBytes;
#endif
}

void* allocatePoolBlock(std::size_t bytes) {
#if HS_BLOCK_RESERVE
    if (bytes == kPoolBlockBytes) {
        if (void* p = BlockReserve::get().take())
            return p;
        return newLargeBlock();
    }
#endif
    return ::operator new(bytes, std::nothrow);
}

void freePoolBlock(void* p, std::size_t bytes) {
#if HS_BLOCK_RESERVE
    if (bytes == kPoolBlockBytes) {
        if (!BlockReserve::get().keep(p))
            deleteLargeBlock(p);
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
