#pragma once
// A settings file read and written entry by entry through the profile calls, with typed values.
#include <optional>
#include <string>

namespace gliffo::profile {

// Integer text as settings files hold it: decimal with an optional sign, or hexadecimal after a
// dollar sign, or after 0x / 0X when the text is longer than two characters. Anything else,
// and any value outside 32 bits, is no number.
std::optional<int> ParseProfileInteger(const std::string& text);

class TIniFile {
 public:
  explicit TIniFile(std::string fileName) : fileName_(std::move(fileName)) {}
  const std::string& FileName() const { return fileName_; }

  std::string ReadString(const std::string& section, const std::string& key, const std::string& defaultValue) const;
  int ReadInteger(const std::string& section, const std::string& key, int defaultValue) const;
  // Any integer other than 0 is true.
  bool ReadBool(const std::string& section, const std::string& key, bool defaultValue) const;

  // Each raises EIniFileException "Unable to write to <file>" when the entry cannot be written.
  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& key, int value);
  void WriteBool(const std::string& section, const std::string& key, bool value);
  void DeleteKey(const std::string& section, const std::string& key);
  void EraseSection(const std::string& section);

 private:
  std::string fileName_;
};

}  // namespace gliffo::profile
