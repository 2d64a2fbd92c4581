#include "platform/late_library.h"

#include <dlfcn.h>

#include <string>

#include "platform/errors.h"

namespace gliffo {

void* TLateLibrary::Symbol(const char* name) const {
  void* handle = handle_.load(std::memory_order_acquire);
  if (handle == nullptr) {
    // Opened once and kept for the life of the process; a second opening by a racing thread
    // only raises the loader's count.
    handle = ::dlopen(soname_, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
      const char* why = ::dlerror();
      throw Exception(std::string(purpose_) + " need the library " + soname_ +
                      ", which could not be loaded" + (why != nullptr ? std::string(": ") + why : std::string()));
    }
    handle_.store(handle, std::memory_order_release);
  }
  ::dlerror();
  void* address = ::dlsym(handle, name);
  if (address == nullptr) {
    throw Exception(std::string(purpose_) + " need the function " + name + ", which the library " + soname_ +
                    " does not have");
  }
  return address;
}

}  // namespace gliffo
