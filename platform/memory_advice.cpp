#include "platform/memory_advice.h"

#include <sys/mman.h>

namespace gliffo {

void AdviseWholeBlocks(std::uintptr_t start, std::size_t bytes, std::size_t block, int advice) {
  const std::uintptr_t begin = (start + block - 1) & ~(std::uintptr_t{block} - 1);
  const std::uintptr_t end = (start + bytes) & ~(std::uintptr_t{block} - 1);
  if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, advice);
}

}  // namespace gliffo
