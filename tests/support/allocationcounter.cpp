#include "allocationcounter.h"

#include <atomic>
#include <cstdlib>
#include <new>

static std::atomic<long> g_allocations{0};
static std::atomic<long> g_nothrowAllocations{0};
static std::atomic<int> g_nothrowBeforeFailure{-1};

static void* nothrowAllocation(std::size_t size)
{
    ++g_allocations;
    ++g_nothrowAllocations;
    const int left = g_nothrowBeforeFailure.load();
    if (left >= 0) {
        g_nothrowBeforeFailure.store(left - 1);
        if (left == 0)
            return nullptr;
    }
    return std::malloc(size ? size : 1);
}

void* operator new(std::size_t size)
{
    ++g_allocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size)
{
    ++g_allocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return nothrowAllocation(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return nothrowAllocation(size);
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete[](void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}

long AllocationCount()
{
    return g_allocations.load();
}

long NothrowAllocationCount()
{
    return g_nothrowAllocations.load();
}

void FailNothrowAllocationAfter(int count)
{
    g_nothrowBeforeFailure.store(count);
}
