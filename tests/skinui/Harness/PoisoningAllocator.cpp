// Every `delete` in a window test program fills the freed block with a pattern and keeps it out of
// reuse for a while: a later read of a deleted object finds the pattern (a pointer that faults, a
// count that is absurd) instead of its old, still plausible values, and a later write is found when
// the block leaves the quarantine.
#include "PoisoningAllocator.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <new>

namespace {

constexpr unsigned char kFreedByte = 0xEE;  // words read 0xEEEEEEEE: no valid address of a 32-bit process
constexpr size_t kQuarantineBytes = size_t(48) << 20;
constexpr size_t kQuarantineBlocks = size_t(1) << 16;

struct Block {
    unsigned char* memory;
    size_t size;
};

SRWLOCK g_lock = SRWLOCK_INIT;
Block g_ring[kQuarantineBlocks];
size_t g_oldest = 0;
size_t g_count = 0;
size_t g_bytes = 0;

[[noreturn]] void ReportWriteAfterFree(const Block& block, size_t offset)
{
    std::fprintf(stderr, "poisoning allocator: a block of %u bytes at %p was written at offset %u after its delete\n",
                 unsigned(block.size), static_cast<void*>(block.memory), unsigned(offset));
    std::fflush(stderr);
    std::abort();
}

void CheckUntouched(const Block& block)
{
    for (size_t i = 0; i < block.size; ++i)
        if (block.memory[i] != kFreedByte) ReportWriteAfterFree(block, i);
}

void Release(const Block& block)
{
    CheckUntouched(block);
    std::free(block.memory);
}

// Called with the lock held.
void EvictUntilRoomFor(size_t size)
{
    while (g_count > 0 && (g_count == kQuarantineBlocks || g_bytes + size > kQuarantineBytes)) {
        const Block block = g_ring[g_oldest];
        g_oldest = (g_oldest + 1) % kQuarantineBlocks;
        --g_count;
        g_bytes -= block.size;
        Release(block);
    }
}

void Quarantine(void* memory)
{
    if (!memory) return;
    const size_t size = _msize(memory);
    std::memset(memory, kFreedByte, size);
    if (size > kQuarantineBytes / 4) {
        std::free(memory);
        return;
    }
    ::AcquireSRWLockExclusive(&g_lock);
    EvictUntilRoomFor(size);
    g_ring[(g_oldest + g_count) % kQuarantineBlocks] = Block{static_cast<unsigned char*>(memory), size};
    ++g_count;
    g_bytes += size;
    ::ReleaseSRWLockExclusive(&g_lock);
}

void* Allocate(size_t size) noexcept
{
    for (;;) {
        if (void* memory = std::malloc(size ? size : 1)) return memory;
        std::new_handler handler = std::get_new_handler();
        if (!handler) return nullptr;
        handler();
    }
}

void* AllocateOrThrow(size_t size)
{
    void* memory = Allocate(size);
    if (!memory) throw std::bad_alloc();
    return memory;
}

}  // namespace

void CheckFreedBlocksUntouched()
{
    ::AcquireSRWLockExclusive(&g_lock);
    for (size_t i = 0; i < g_count; ++i) CheckUntouched(g_ring[(g_oldest + i) % kQuarantineBlocks]);
    ::ReleaseSRWLockExclusive(&g_lock);
}

void* operator new(size_t size) { return AllocateOrThrow(size); }
void* operator new[](size_t size) { return AllocateOrThrow(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* memory) noexcept { Quarantine(memory); }
void operator delete[](void* memory) noexcept { Quarantine(memory); }
void operator delete(void* memory, size_t) noexcept { Quarantine(memory); }
void operator delete[](void* memory, size_t) noexcept { Quarantine(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { Quarantine(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { Quarantine(memory); }
