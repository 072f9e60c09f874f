// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Counts the bytes allocated in blocks longer than anything one link frame makes (the longest
// frame, a length of 999 and six bytes around it, written as a hex trace of three characters a
// byte) while some work runs, from the address sanitizer's allocation hooks. So these are copies
// of received data beyond one frame: a receive path that copied what is left of a read for each
// frame would show here as the square of the read.
#include <atomic>
#include <cstddef>
#include <optional>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZKN_COUNTS_ALLOCATIONS 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define ZKN_COUNTS_ALLOCATIONS 1
#endif

#ifdef ZKN_COUNTS_ALLOCATIONS
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, std::size_t),
                                                         void (*)(const volatile void*));
#endif

namespace zkn::test {

inline constexpr std::size_t kLongestFrame = 999 + 6;
inline constexpr std::size_t kMostOneFrameMakes = 4 * kLongestFrame;

namespace detail {
inline std::atomic<bool> counting = false;
inline std::atomic<std::size_t> allocated = 0;

inline void countAllocation(const volatile void*, std::size_t size)
{
    if (counting && size > kMostOneFrameMakes)
        allocated += size;
}

inline void ignoreFree(const volatile void*) {}

// Once for the program: a hook installed twice would count every block twice.
inline bool hooksInstalled()
{
#ifdef ZKN_COUNTS_ALLOCATIONS
    static const bool installed = __sanitizer_install_malloc_and_free_hooks(countAllocation, ignoreFree) != 0;
    return installed;
#else
    return false;
#endif
}
} // namespace detail

// The bytes allocated in blocks longer than one frame makes while `work` runs; none without the
// sanitizer, or where the hooks could not be installed.
template <typename Work> std::optional<std::size_t> bytesAllocatedBy(Work work)
{
    if (!detail::hooksInstalled()) {
        work();
        return std::nullopt;
    }
    detail::allocated = 0;
    detail::counting = true;
    work();
    detail::counting = false;
    return detail::allocated.load();
}

} // namespace zkn::test
