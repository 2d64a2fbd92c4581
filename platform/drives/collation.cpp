#include "platform/drives/collation.h"

#include <langinfo.h>
#include <locale.h>
#include <wchar.h>
#include <wctype.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <numeric>

namespace gliffo::drives {

namespace {

// The user's collation and character classes, taken once from the environment the way the C
// library's setlocale(LC_ALL, "") would, but without changing the process's global locale.
struct UserLocale {
  locale_t Locale = nullptr;
  bool Utf8 = false;
};

const UserLocale& TheUserLocale() {
  static const UserLocale userLocale = [] {
    UserLocale result;
    result.Locale = newlocale(LC_CTYPE_MASK | LC_COLLATE_MASK, "", nullptr);
    if (result.Locale == nullptr) result.Locale = newlocale(LC_CTYPE_MASK | LC_COLLATE_MASK, "C", nullptr);
    const char* codeset = nl_langinfo_l(CODESET, result.Locale);
    result.Utf8 = codeset != nullptr && (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
    return result;
  }();
  return userLocale;
}

// A byte that does not start a valid character keeps its own place: it becomes a lone low
// surrogate, which no valid name contains, so distinct byte strings stay distinct.
constexpr wchar_t StrayByte(unsigned char byte) { return static_cast<wchar_t>(0xDC00 + byte); }

void DecodeUtf8(std::string_view text, std::wstring& out) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const size_t size = text.size();
  size_t i = 0;
  while (i < size) {
    unsigned char lead = bytes[i];
    if (lead < 0x80) {
      out.push_back(static_cast<wchar_t>(lead));
      ++i;
      continue;
    }
    int length = 0;
    char32_t code = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
      length = 2, code = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3, code = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4, code = lead & 0x07, minimum = 0x10000;
    }
    bool valid = length > 0 && i + length <= size;
    for (int k = 1; valid && k < length; ++k) {
      unsigned char next = bytes[i + k];
      if ((next & 0xC0) != 0x80) valid = false;
      code = (code << 6) | (next & 0x3F);
    }
    valid = valid && code >= minimum && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF);
    if (!valid) {
      out.push_back(StrayByte(lead));
      ++i;
      continue;
    }
    out.push_back(static_cast<wchar_t>(code));
    i += length;
  }
}

// Legacy single- and multi-byte locales go through the C library's own conversion.
void DecodeLocale(std::string_view text, locale_t locale, std::wstring& out) {
  locale_t previous = uselocale(locale);
  mbstate_t state{};
  size_t i = 0;
  while (i < text.size()) {
    wchar_t wide = 0;
    size_t used = mbrtowc(&wide, text.data() + i, text.size() - i, &state);
    if (used == static_cast<size_t>(-1) || used == static_cast<size_t>(-2) || used == 0) {
      out.push_back(StrayByte(static_cast<unsigned char>(text[i])));
      state = mbstate_t{};
      ++i;
      continue;
    }
    out.push_back(wide);
    i += used;
  }
  uselocale(previous);
}

std::wstring FoldedWide(std::string_view name) {
  const UserLocale& user = TheUserLocale();
  std::wstring wide;
  wide.reserve(name.size());
  if (user.Utf8) {
    DecodeUtf8(name, wide);
  } else {
    DecodeLocale(name, user.Locale, wide);
  }
  for (wchar_t& c : wide) c = static_cast<wchar_t>(towlower_l(static_cast<wint_t>(c), user.Locale));
  return wide;
}

}  // namespace

int CompareNamesIgnoreCase(std::string_view a, std::string_view b) {
  std::wstring left = FoldedWide(a);
  std::wstring right = FoldedWide(b);
  if (left == right) return 0;
  return wcscoll_l(left.c_str(), right.c_str(), TheUserLocale().Locale);
}

std::wstring NameSortKey(std::string_view name) {
  std::wstring folded = FoldedWide(name);
  locale_t locale = TheUserLocale().Locale;
  // Most keys fit a buffer on the stack and are copied out at their own length: a key with
  // spare room kept four times the memory, which for a folder of thousands of names was most
  // of what the sort touched.
  wchar_t small[256];
  const size_t needed = wcsxfrm_l(small, folded.c_str(), std::size(small), locale);
  if (needed < std::size(small)) return std::wstring(small, needed);
  std::wstring key(needed + 1, L'\0');
  key.resize(wcsxfrm_l(key.data(), folded.c_str(), key.size(), locale));
  return key;
}

void SortNamesIgnoreCase(std::vector<std::string>& names) {
  std::vector<std::wstring> keys;
  keys.reserve(names.size());
  for (const auto& name : names) keys.push_back(NameSortKey(name));
  std::vector<size_t> order(names.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](size_t x, size_t y) { return keys[x] < keys[y]; });
  std::vector<std::string> sorted;
  sorted.reserve(names.size());
  for (size_t index : order) sorted.push_back(std::move(names[index]));
  names = std::move(sorted);
}

}  // namespace gliffo::drives
