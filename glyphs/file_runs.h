#pragma once
// Jobs that read many files (gather, combine) read them on every core: the files are cut into
// runs, and each run is read by one thread, the runs in no set order. A job then takes the
// runs' results in order itself, so that what it reports (counts, limits, the first file that
// cannot be read) is what reading the files one by one would report.
#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <new>
#include <thread>
#include <vector>

namespace gliffo {

// Files a thread takes at a time: a job of fewer files runs on one thread.
constexpr std::size_t RunFiles = 64;
constexpr unsigned MostReadingThreads = 4;

inline std::size_t RunCount(std::size_t files) { return (files + RunFiles - 1) / RunFiles; }

// Calls read(state, run) for every run in [0, runs), on up to one thread a core, this one
// among them; each thread has a state of its own, *make() (make gives a unique_ptr). read must
// not throw. It returns false when the job may end in its run (a file that cannot be read):
// runs after it may then be left unread, and the job must not take them as read.
template <class Make, class Read>
void ReadRunsOnCores(std::size_t runs, Make&& make, Read&& read) {
  std::atomic<std::size_t> next{0}, stop{runs};
  const auto work = [&](auto& state) {
    for (std::size_t r; (r = next.fetch_add(1)) < runs && r <= stop.load();) {
      if (read(state, r)) continue;
      std::size_t seen = stop.load();
      while (r < seen && !stop.compare_exchange_weak(seen, r)) {
      }
    }
  };
  const unsigned cores = std::clamp(std::thread::hardware_concurrency(), 1u, MostReadingThreads);
  const std::size_t helpers = runs == 0 ? 0 : std::min<std::size_t>(cores, runs) - 1;
  auto mine = make();
  std::vector<decltype(mine)> states;
  // Declared after the states they use, so that on every way out, an exception included, each
  // thread is joined before its state goes.
  std::vector<std::jthread> threads;
  for (std::size_t t = 0; t < helpers; ++t) {
    try {
      states.push_back(make());
      threads.emplace_back([&work, &state = *states.back()] { work(state); });
    } catch (...) {
      // No thread or no memory for one: fewer threads share the runs out all the same.
      break;
    }
  }
  work(*mine);
}

// The common case: read(state, i) for every file i in [0, files), on every core. A file whose
// read throws ends its run; the error is kept at its place, and files after it may be left
// unread, so a job takes the files in order and stops at the first error.
//
// The threads together hold a descriptor each: under a low limit on open files one of them may
// fail to open a healthy file. So once they are done, the reads are taken up again alone, from
// the first file that failed, as one thread would have read them; a file that fails again keeps
// its error.
template <class Make, class Read>
std::vector<std::exception_ptr> ReadFilesOnCores(std::size_t files, Make&& make, Read&& read) {
  std::vector<std::exception_ptr> errors(files);
  std::vector<std::uint8_t> done(files, 0);
  ReadRunsOnCores(RunCount(files), make, [&](auto& state, std::size_t run) {
    const std::size_t end = std::min(files, (run + 1) * RunFiles);
    for (std::size_t i = run * RunFiles; i < end; ++i) {
      try {
        read(state, i);
        done[i] = 1;
      } catch (...) {
        errors[i] = std::current_exception();
        return false;
      }
    }
    return true;
  });
  std::size_t first = 0;
  while (first < files && !errors[first]) ++first;
  if (first == files) return errors;
  auto state = make();
  for (std::size_t i = first; i < files; ++i) {
    if (done[i]) continue;
    try {
      read(*state, i);
      errors[i] = nullptr;
      done[i] = 1;
    } catch (...) {
      errors[i] = std::current_exception();
      break;
    }
  }
  return errors;
}

// The same for reads that need no state of their own: read(i).
template <class Read>
std::vector<std::exception_ptr> ReadFilesOnCores(std::size_t files, Read&& read) {
  struct TNoState {};
  return ReadFilesOnCores(
      files, [] { return std::make_unique<TNoState>(); }, [&](TNoState&, std::size_t i) { read(i); });
}

}  // namespace gliffo
