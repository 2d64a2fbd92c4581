#pragma once
// Advice to the system about memory (madvise), given only for the whole blocks of a size that
// lie inside a range: a huge page, or a page, at a time.
#include <cstddef>
#include <cstdint>

namespace gliffo {

inline constexpr std::size_t PageBytes = 4096;
inline constexpr std::size_t HugePageBytes = std::size_t{2} << 20;

// madvise(advice) over the whole blocks of `block` bytes (a power of two) within
// [start, start + bytes); nothing when no whole block lies inside. Advice the system refuses
// is left unfollowed.
void AdviseWholeBlocks(std::uintptr_t start, std::size_t bytes, std::size_t block, int advice);

}  // namespace gliffo
