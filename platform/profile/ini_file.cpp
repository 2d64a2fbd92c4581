#include "platform/profile/ini_file.h"

#include <cstdint>

#include "platform/errors.h"
#include "platform/profile/profile.h"
#include "platform/strings.h"

namespace gliffo::profile {

std::optional<int> ParseProfileInteger(const std::string& original) {
  std::string text = original;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text = "$" + text.substr(2);

  std::size_t at = 0;
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  bool hex = at < text.size() && text[at] == '$';
  if (hex) ++at;
  if (at >= text.size()) return std::nullopt;

  // Hexadecimal covers the full 32 bits, so $FFFFFFFF reads as -1; decimal must fit the sign.
  std::uint64_t value = 0;
  const std::uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
  for (; at < text.size(); ++at) {
    char c = text[at];
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else return std::nullopt;
    value = value * (hex ? 16 : 10) + static_cast<std::uint64_t>(digit);
    if (value > limit) return std::nullopt;
  }
  std::int64_t signedValue = hex ? static_cast<std::int64_t>(static_cast<std::int32_t>(static_cast<std::uint32_t>(value)))
                                 : static_cast<std::int64_t>(value);
  if (negative) signedValue = -signedValue;
  if (signedValue < INT32_MIN || signedValue > INT32_MAX) return std::nullopt;
  return static_cast<int>(signedValue);
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const {
  return GetPrivateProfileString(section, key, defaultValue, fileName_);
}

int TIniFile::ReadInteger(const std::string& section, const std::string& key, int defaultValue) const {
  std::string text = ReadString(section, key, "");
  return ParseProfileInteger(text).value_or(defaultValue);
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool defaultValue) const {
  return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
  if (!WritePrivateProfileString(section, key, value, fileName_))
    throw EIniFileException(FormatMessage(texts::UnableToWriteTo, fileName_));
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
  WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

void TIniFile::DeleteKey(const std::string& section, const std::string& key) {
  if (!WritePrivateProfileString(section, key, std::nullopt, fileName_))
    throw EIniFileException(FormatMessage(texts::UnableToWriteTo, fileName_));
}

void TIniFile::EraseSection(const std::string& section) {
  if (!WritePrivateProfileString(section, std::nullopt, std::nullopt, fileName_))
    throw EIniFileException(FormatMessage(texts::UnableToWriteTo, fileName_));
}

}  // namespace gliffo::profile
