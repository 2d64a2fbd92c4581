#include "app/file_filter.h"

namespace gliffo {

namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (true) {
    std::size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

std::string Trimmed(const std::string& text) {
  std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::vector<TFilterEntry> ConvertFilter(const std::string& filter) {
  std::vector<TFilterEntry> entries;
  if (filter.empty()) return entries;
  std::vector<std::string> parts = Split(filter, '|');
  for (std::size_t i = 0; i < parts.size(); i += 2) {
    TFilterEntry entry;
    std::string name = Trimmed(parts[i]);
    std::string masks = i + 1 < parts.size() ? parts[i + 1] : "*";
    for (const std::string& mask : Split(masks, ';')) {
      std::string pattern = Trimmed(mask);
      if (!pattern.empty()) entry.Patterns.push_back(pattern);
    }
    if (entry.Patterns.empty()) entry.Patterns.push_back("*");
    std::string joined;
    for (const std::string& pattern : entry.Patterns) joined += (joined.empty() ? "" : " ") + pattern;
    entry.Title = (name.empty() ? joined : name) + " (" + joined + ")";
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::string FilterExtension(const TFilterEntry& entry) {
  if (entry.Patterns.size() != 1) return "";
  const std::string& pattern = entry.Patterns.front();
  if (pattern.rfind("*.", 0) != 0) return "";
  std::string extension = pattern.substr(2);
  if (extension.empty() || extension.find_first_of("*?[") != std::string::npos) return "";
  return extension;
}

std::string WithDefaultExtension(const std::string& fileName, const std::string& extension) {
  if (extension.empty() || fileName.empty()) return fileName;
  std::size_t slash = fileName.rfind('/');
  std::string base = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
  // A leading dot names a hidden file, not an extension.
  std::size_t dot = base.rfind('.');
  if (dot != std::string::npos && dot > 0 && dot + 1 < base.size()) return fileName;
  if (!base.empty() && base.back() == '.') return fileName + extension;
  return fileName + "." + extension;
}

}  // namespace gliffo
