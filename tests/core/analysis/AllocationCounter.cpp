#include "AllocationCounter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<bool> g_countAllocations{false};
std::atomic<long> g_allocations{0};
}  // namespace

namespace korvanes::testsupport {

void CountAllocations(bool on) { g_countAllocations = on; }
long AllocationCount() { return g_allocations.load(); }
void ResetAllocationCount() { g_allocations = 0; }

}  // namespace korvanes::testsupport

// GCC pairs the free() below with the new-expressions of the callers it is
// inlined into; here malloc/free are the allocation functions themselves.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size)
{
    if (g_countAllocations.load()) {
        ++g_allocations;
    }
    if (void* p = std::malloc(size != 0 ? size : 1)) {
        return p;
    }
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop
