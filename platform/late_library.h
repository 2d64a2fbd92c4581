#pragma once
// Libraries only some jobs need (PNG through libspng, fonts through FreeType and fontconfig) are
// opened on their first call rather than at start: a job over BMP files never pays for loading
// them, and a short command starts about as fast as a plain C program.
//
// A file that calls such a library declares, in its own unnamed namespace, one object per
// function it uses, under the function's own name:
//
//   const gliffo::TLateLibrary Spng("libspng.so.0", "PNG files");
//   GLIFFO_LATE(Spng, spng_ctx_new);
//
// Its calls then read as before. The object hides the library's declaration of the same name,
// and, not being a function, keeps argument-dependent lookup from bringing the library's own
// function back in.
#include <atomic>

namespace gliffo {

class TLateLibrary {
 public:
  // soname: the library's versioned file name; purpose: what it is needed for, for the error.
  constexpr TLateLibrary(const char* soname, const char* purpose) : soname_(soname), purpose_(purpose) {}
  TLateLibrary(const TLateLibrary&) = delete;
  TLateLibrary& operator=(const TLateLibrary&) = delete;

  // The named function's address, opening the library first if need be. Raises Exception,
  // naming the library and what it is needed for, when either cannot be found.
  void* Symbol(const char* name) const;

 private:
  const char* soname_;
  const char* purpose_;
  mutable std::atomic<void*> handle_{nullptr};
};

template <class Function>
class TLateFunction;

template <class Result, class... Args>
class TLateFunction<Result(Args...)> {
 public:
  constexpr TLateFunction(const TLateLibrary& library, const char* name) : library_(library), name_(name) {}
  TLateFunction(const TLateFunction&) = delete;
  TLateFunction& operator=(const TLateFunction&) = delete;

  Result operator()(Args... args) const {
    Address address = address_.load(std::memory_order_acquire);
    if (address == nullptr) {
      // Two threads may both look it up; they find the same address.
      address = reinterpret_cast<Address>(library_.Symbol(name_));
      address_.store(address, std::memory_order_release);
    }
    return address(args...);
  }

 private:
  using Address = Result (*)(Args...);
  const TLateLibrary& library_;
  const char* name_;
  mutable std::atomic<Address> address_{nullptr};
};

}  // namespace gliffo

// Declares `name` as the late-bound form of the library function `::name`.
#define GLIFFO_LATE(library, name) const ::gliffo::TLateFunction<decltype(::name)> name{library, #name}
