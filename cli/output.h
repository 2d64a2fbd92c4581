#pragma once
// Standard output and error of the jobs, written through stdio. The C++ streams are left alone:
// setting them up (their locale and its facets) took a short job a large share of its run.
// Output reads as the streams would print it: text as it is, integers in decimal.
#include <concepts>
#include <cstdio>
#include <string>
#include <string_view>

namespace gliffo::cli {

class TOutput {
 public:
  explicit TOutput(std::FILE* file) : file_(file) {}
  TOutput(const TOutput&) = delete;
  TOutput& operator=(const TOutput&) = delete;

  TOutput& operator<<(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), file_);
    return *this;
  }
  TOutput& operator<<(const char* text) { return *this << std::string_view(text); }
  TOutput& operator<<(const std::string& text) { return *this << std::string_view(text); }
  TOutput& operator<<(char c) {
    std::fputc(c, file_);
    return *this;
  }
  // Whole numbers only: a byte or a bool would print differently from the streams.
  template <std::integral T>
    requires(!std::same_as<T, char> && !std::same_as<T, bool> && sizeof(T) > 1)
  TOutput& operator<<(T value) {
    return *this << std::to_string(value);
  }

 private:
  std::FILE* file_;
};

TOutput& Out();  // standard output
TOutput& Err();  // standard error

}  // namespace gliffo::cli
