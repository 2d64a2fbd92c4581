// The one place toml++ is included: it is used header-only, so the program needs no TOML
// library at run time and only this unit pays for compiling it.
#define TOML_HEADER_ONLY 1
#include "glyphs/icon_set_file.h"

#include <toml++/toml.h>

#include <algorithm>
#include <charconv>
#include <map>
#include <set>
#include <string_view>

#include "glyphs/strings.h"
#include "platform/errors.h"

namespace gliffo {

bool ValidIconName(const std::string& name) {
  if (name.empty()) return false;
  const auto lowerOrDigit = [](char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); };
  if (!lowerOrDigit(name[0])) return false;
  return std::all_of(name.begin(), name.end(),
                     [&](char c) { return lowerOrDigit(c) || c == '-' || c == '_' || c == '.'; });
}

std::optional<std::pair<int, std::string>> ParseStripKey(const std::string& key) {
  const std::size_t dash = key.find('-');
  const std::string_view digits = std::string_view(key).substr(0, dash);
  if (digits.empty() || digits.size() > 4 || digits.find_first_not_of("0123456789") != std::string_view::npos)
    return std::nullopt;
  int size = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), size);
  std::string theme = dash == std::string::npos ? "" : key.substr(dash + 1);
  if (dash != std::string::npos && !ValidIconName(theme)) return std::nullopt;
  return std::make_pair(size, std::move(theme));
}

namespace {

[[noreturn]] void Refuse(const std::string& message) { throw EInvalidOperation(message); }

std::string Where(const toml::source_region& at) { return "line " + std::to_string(at.begin.line) + ": "; }

// A TOML basic string: names are plain, but a path may hold any character.
std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20 || u == 0x7F) {
      static const char* hex = "0123456789ABCDEF";
      out += "\\u00";
      out += hex[u >> 4];
      out += hex[u & 0xF];
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string InlineArray(const std::vector<std::string>& items) {
  std::string out = "[";
  for (std::size_t i = 0; i < items.size(); ++i) out += (i ? ", " : "") + items[i];
  return out + "]";
}

std::vector<std::string> QuotedAll(const std::vector<std::string>& names) {
  std::vector<std::string> out;
  for (const std::string& n : names) out.push_back(Quoted(n));
  return out;
}

std::vector<std::string> SizesText(const std::vector<int>& sizes) {
  std::vector<std::string> out;
  for (const int s : sizes) out.push_back(std::to_string(s));
  return out;
}

std::string MultiLineArray(const std::vector<std::string>& items, const std::string& newline) {
  std::string out = "[" + newline;
  for (const std::string& item : items) out += "  " + item + "," + newline;
  return out + "]";
}

std::vector<std::string> StringArray(const toml::node& node, const std::string& key, bool anyNames = false) {
  const toml::array* array = node.as_array();
  if (!array) Refuse(Where(node.source()) + "\"" + key + "\" must be a list of names");
  std::vector<std::string> out;
  std::set<std::string> seen;
  for (const toml::node& item : *array) {
    const auto* text = item.as_string();
    if (!text) Refuse(Where(item.source()) + "\"" + key + "\" must be a list of names");
    const std::string& name = text->get();
    if (anyNames) {
      out.push_back(name);
      continue;
    }
    if (!ValidIconName(name))
      Refuse(Where(item.source()) + "\"" + name + "\" is not a valid name (lower-case letters, digits, -, _ and .)");
    if (!seen.insert(name).second) Refuse(Where(item.source()) + "\"" + name + "\" is named twice");
    out.push_back(name);
  }
  return out;
}

}  // namespace

TSetFileText::TSetFileText(std::string text, const std::string& fileName, bool anyIconNames) : text_(std::move(text)) {
  if (text_.find("\r\n") != std::string::npos) newline_ = "\r\n";
  toml::table table;
  try {
    table = toml::parse(std::string_view(text_), std::string_view(fileName));
  } catch (const toml::parse_error& e) {
    Refuse(Where(e.source()) + std::string(e.description()));
  }

  // Byte offsets of toml++'s line and column (counted in characters from 1).
  std::vector<std::size_t> lineStarts{0};
  for (std::size_t i = 0; i < text_.size(); ++i)
    if (text_[i] == '\n') lineStarts.push_back(i + 1);
  const auto offsetOf = [&](const toml::source_position& at) {
    if (at.line == 0 || at.line > lineStarts.size()) return text_.size();
    std::size_t offset = lineStarts[at.line - 1];
    for (std::uint32_t column = 1; column < at.column && offset < text_.size(); ++column) {
      ++offset;
      while (offset < text_.size() && (static_cast<unsigned char>(text_[offset]) & 0xC0) == 0x80) ++offset;
    }
    return offset;
  };
  const auto lineEnd = [&](std::size_t offset) {
    const std::size_t n = text_.find('\n', offset);
    return n == std::string::npos ? text_.size() : n + 1;
  };
  const auto lineStart = [&](std::size_t offset) {
    const std::size_t n = offset == 0 ? std::string::npos : text_.rfind('\n', offset - 1);
    return n == std::string::npos ? std::size_t{0} : n + 1;
  };
  const auto spanOf = [&](const toml::node& node) {
    return TSpan{offsetOf(node.source().begin), offsetOf(node.source().end)};
  };

  for (auto&& [key, node] : table) {
    if (!node.is_table() || node.as_table()->is_inline()) {
      topInsert_ = std::max(topInsert_, lineEnd(spanOf(node).End));
    }
  }

  if (const toml::node* name = table.get("name")) {
    if (!name->is_string()) Refuse(Where(name->source()) + "\"name\" must be a text");
    data_.Name = name->as_string()->get();
    nameSpan_ = spanOf(*name);
  }

  const toml::node* sizes = table.get("sizes");
  if (!sizes) Refuse("the set names no sizes (sizes = [16, 24, 32])");
  const toml::array* sizeList = sizes->as_array();
  if (!sizeList || sizeList->empty()) Refuse(Where(sizes->source()) + "\"sizes\" must be a list of glyph sizes");
  for (const toml::node& item : *sizeList) {
    const auto* value = item.as_integer();
    if (!value || value->get() < 1 || value->get() > MaxSetSize)
      Refuse(Where(item.source()) + "a size must be a whole number from 1 to " + std::to_string(MaxSetSize));
    const int size = static_cast<int>(value->get());
    if (std::find(data_.Sizes.begin(), data_.Sizes.end(), size) != data_.Sizes.end())
      Refuse(Where(item.source()) + "the size " + std::to_string(size) + " is named twice");
    data_.Sizes.push_back(size);
  }
  sizesSpan_ = spanOf(*sizes);

  if (const toml::node* themes = table.get("themes")) {
    data_.Themes = StringArray(*themes, "themes");
    if (data_.Themes.empty()) Refuse(Where(themes->source()) + "\"themes\" must name at least one theme");
    themesGiven_ = true;
    themesSpan_ = spanOf(*themes);
  } else {
    data_.Themes = {"light"};
  }

  if (const toml::node* icons = table.get("icons")) {
    data_.Icons = StringArray(*icons, "icons", anyIconNames);
    TArrayLayout layout;
    layout.Whole = spanOf(*icons);
    const toml::array& array = *icons->as_array();
    layout.OneLine = icons->source().begin.line == icons->source().end.line;
    // Per line when "[" and "]" have lines of their own and every element has one too.
    std::set<std::uint32_t> lines{icons->source().begin.line, icons->source().end.line};
    layout.PerLine = !layout.OneLine;
    for (const toml::node& item : array) {
      const TSpan span = spanOf(item);
      // Alone on its line: nothing before it there but blanks (not the comma of a line that
      // starts with one), nothing after it but a comma and a comment.
      const std::size_t start = lineStart(span.Begin);
      if (item.source().begin.line != item.source().end.line || !lines.insert(item.source().begin.line).second ||
          text_.find_first_not_of(" \t", start) != span.Begin)
        layout.PerLine = false;
      layout.ElementSpan.push_back(span);
    }
    if (layout.PerLine) {
      layout.HeadEnd = lineEnd(layout.Whole.Begin);
      std::size_t from = layout.HeadEnd;
      for (const TSpan& element : layout.ElementSpan) {
        layout.BlockStart.push_back(from);
        from = lineEnd(element.End);
        layout.BlockEnd.push_back(from);
      }
      layout.TailStart = from;
      if (!layout.ElementSpan.empty()) {
        const std::size_t start = lineStart(layout.ElementSpan.front().Begin);
        layout.Indent = text_.substr(start, layout.ElementSpan.front().Begin - start);
      }
    }
    icons_ = layout;
  }

  // The context becomes a folder of a built theme, so it keeps to the naming rules.
  if (const toml::node* context = table.get("context")) {
    const auto* text = context->as_string();
    if (!text || !ValidIconName(text->get()))
      Refuse(Where(context->source()) + "\"context\" must be a name such as \"actions\" (lower-case letters, digits, -, _ and .)");
    data_.Context = text->get();
  }

  if (const toml::node* backgrounds = table.get("background")) {
    const toml::table* list = backgrounds->as_table();
    if (!list) Refuse(Where(backgrounds->source()) + "\"background\" must be a table of THEME = \"#RRGGBB\" lines");
    for (auto&& [key, node] : *list) {
      const auto* colour = node.as_string();
      const std::string value = colour ? colour->get() : "";
      if (value.size() != 7 || value[0] != '#' || value.find_first_not_of("0123456789abcdefABCDEF", 1) != std::string::npos)
        Refuse(Where(node.source()) + "the background of \"" + std::string(key.str()) + "\" must be a colour \"#RRGGBB\"");
      data_.Backgrounds.emplace_back(std::string(key.str()), value);
    }
  }

  if (const toml::node* strips = table.get("strips")) {
    const toml::table* list = strips->as_table();
    if (!list) Refuse(Where(strips->source()) + "\"strips\" must be a table of SIZE = \"FILE\" lines");
    hasStripsTable_ = true;
    stripsInline_ = list->is_inline();
    if (stripsInline_) stripsInlineSpan_ = spanOf(*strips);
    const std::size_t begin = offsetOf(strips->source().begin);
    stripsDotted_ = !stripsInline_ && (begin >= text_.size() || text_[begin] != '[');
    stripsInsert_ = stripsDotted_ ? topInsert_ : lineEnd(begin);
    // toml++ keeps a table's keys sorted; the file's order is the order of their places.
    std::vector<std::pair<std::size_t, std::pair<std::string, std::string>>> inFile;
    std::vector<TSpan> spans;
    for (auto&& [key, node] : *list) {
      const auto* path = node.as_string();
      if (!path) Refuse(Where(node.source()) + "the strip \"" + std::string(key.str()) + "\" must be a file name");
      const TSpan span = spanOf(node);
      inFile.push_back({span.Begin, {std::string(key.str()), path->get()}});
      stripsInsert_ = std::max(stripsInsert_, lineEnd(span.End));
    }
    std::sort(inFile.begin(), inFile.end());
    for (const auto& [offset, entry] : inFile) {
      data_.Strips.push_back(entry);
      const toml::node* node = list->get(entry.first);
      stripValueSpans_.push_back(spanOf(*node));
    }
  }

  if (const toml::node* derived = table.get("derived")) {
    const toml::table* list = derived->as_table();
    if (!list) Refuse(Where(derived->source()) + "\"derived\" must be a table of SIZE = [names] lines");
    std::vector<std::pair<std::size_t, std::pair<std::string, std::vector<std::string>>>> inFile;
    for (auto&& [key, node] : *list) {
      std::vector<std::string> names = StringArray(node, "derived." + std::string(key.str()));
      inFile.push_back({offsetOf(node.source().begin), {std::string(key.str()), std::move(names)}});
      if (!list->is_inline()) {
        const std::size_t begin = offsetOf(node.source().begin);
        derivedLines_.push_back({lineStart(begin), lineEnd(offsetOf(node.source().end))});
      }
    }
    std::sort(inFile.begin(), inFile.end());
    for (auto& [offset, entry] : inFile) data_.Derived.push_back(std::move(entry));
    const std::size_t begin = offsetOf(derived->source().begin);
    if (list->is_inline()) {
      derivedSpan_ = spanOf(*derived);
      derivedInline_ = true;
    } else if (begin < text_.size() && text_[begin] == '[') {
      // A table of its own: from its header to its last value's line.
      std::size_t end = lineEnd(begin);
      for (const TSpan& line : derivedLines_) end = std::max(end, line.End);
      derivedSpan_ = TSpan{lineStart(begin), end};
      derivedLines_.clear();
    }
  }
}

std::string TSetFileText::Render(const TSetFileData& data, const std::vector<int>& iconOrigins) const {
  const std::string& nl = newline_;
  if (text_.empty()) {
    std::string out = "# An icon set of Gliffo: glyph k of every strip is icon k." + nl;
    out += "name = " + Quoted(data.Name) + nl;
    out += "sizes = " + InlineArray(SizesText(data.Sizes)) + nl;
    out += "themes = " + InlineArray(QuotedAll(data.Themes)) + nl;
    out += "icons = " + MultiLineArray(QuotedAll(data.Icons), nl) + nl;
    out += nl + "[strips]  # \"SIZE\" for the first theme, \"SIZE-THEME\" for the others" + nl;
    for (const auto& [key, path] : data.Strips) out += Quoted(key) + " = " + Quoted(path) + nl;
    bool anyDerived = false;
    for (const auto& [key, names] : data.Derived) {
      if (names.empty()) continue;
      if (!anyDerived) out += nl + "[derived]  # drawn from other cells by the program, not by hand yet" + nl;
      anyDerived = true;
      out += Quoted(key) + " = " + InlineArray(QuotedAll(names)) + nl;
    }
    return out;
  }

  // Replacements and insertions by offset, applied from the end so earlier offsets hold.
  std::map<std::size_t, std::pair<std::size_t, std::string>> edits;
  std::map<std::size_t, std::string> inserts;
  const auto replace = [&](TSpan span, std::string with) { edits[span.Begin] = {span.End, std::move(with)}; };
  std::string topLines;
  const auto setTop = [&](const std::optional<TSpan>& span, const char* key, std::string value) {
    if (span)
      replace(*span, std::move(value));
    else
      topLines += std::string(key) + " = " + value + nl;
  };

  if (data.Name != data_.Name) setTop(nameSpan_, "name", Quoted(data.Name));
  if (data.Sizes != data_.Sizes) setTop(sizesSpan_, "sizes", InlineArray(SizesText(data.Sizes)));
  if (data.Themes != data_.Themes) setTop(themesSpan_, "themes", InlineArray(QuotedAll(data.Themes)));
  if (data.Icons != data_.Icons) {
    if (!icons_) {
      topLines += "icons = " + MultiLineArray(QuotedAll(data.Icons), nl) + nl;
    } else if (icons_->PerLine) {
      const TArrayLayout& a = *icons_;
      std::string out = text_.substr(a.Whole.Begin, a.HeadEnd - a.Whole.Begin);
      for (std::size_t k = 0; k < data.Icons.size(); ++k) {
        const int origin = k < iconOrigins.size() ? iconOrigins[k] : -1;
        if (origin < 0 || static_cast<std::size_t>(origin) >= a.ElementSpan.size()) {
          out += a.Indent + Quoted(data.Icons[k]) + "," + nl;
          continue;
        }
        const auto o = static_cast<std::size_t>(origin);
        const TSpan element = a.ElementSpan[o];
        out += text_.substr(a.BlockStart[o], element.Begin - a.BlockStart[o]);
        out += Quoted(data.Icons[k]);
        // Every line ends its element with a comma, so any of them may come last or not.
        std::string rest = text_.substr(element.End, a.BlockEnd[o] - element.End);
        const std::size_t next = rest.find_first_not_of(" \t");
        if (next == std::string::npos || rest[next] != ',') rest.insert(0, ",");
        out += rest;
        if (!out.ends_with('\n')) out += nl;
      }
      out += text_.substr(a.TailStart, a.Whole.End - a.TailStart);
      replace(a.Whole, std::move(out));
    } else {
      replace(icons_->Whole, icons_->OneLine ? InlineArray(QuotedAll(data.Icons)) : MultiLineArray(QuotedAll(data.Icons), nl));
    }
  }

  if (data.Strips != data_.Strips) {
    std::map<std::string, std::size_t> known;
    for (std::size_t i = 0; i < data_.Strips.size(); ++i) known[data_.Strips[i].first] = i;
    if (stripsInline_) {
      std::vector<std::string> entries;
      for (const auto& [key, path] : data.Strips) entries.push_back(Quoted(key) + " = " + Quoted(path));
      std::string out = "{ ";
      for (std::size_t i = 0; i < entries.size(); ++i) out += (i ? ", " : "") + entries[i];
      replace(stripsInlineSpan_, out + " }");
    } else {
      std::string added;
      for (const auto& [key, path] : data.Strips) {
        const auto found = known.find(key);
        if (found != known.end()) {
          if (data_.Strips[found->second].second != path) replace(stripValueSpans_[found->second], Quoted(path));
        } else {
          added += (stripsDotted_ ? "strips." : "") + Quoted(key) + " = " + Quoted(path) + nl;
        }
      }
      if (!added.empty()) {
        if (hasStripsTable_)
          inserts[stripsInsert_] += added;  // after its last entry, dotted or under its header
        else
          inserts[text_.size()] += nl + "[strips]" + nl + added;
      }
    }
  }
  if (data.Derived != data_.Derived) {
    std::string table;
    for (const auto& [key, names] : data.Derived)
      if (!names.empty()) table += Quoted(key) + " = " + InlineArray(QuotedAll(names)) + nl;
    const std::string head = "[derived]  # drawn from other cells by the program, not by hand yet" + nl;
    if (derivedSpan_ && derivedInline_) {
      // Written inline: kept inline.
      std::string out = "{ ";
      bool first = true;
      for (const auto& [key, names] : data.Derived) {
        if (names.empty()) continue;
        out += (first ? "" : ", ") + Quoted(key) + " = " + InlineArray(QuotedAll(names));
        first = false;
      }
      replace(*derivedSpan_, out + (first ? "}" : " }"));
    } else {
      if (derivedSpan_) {
        replace(*derivedSpan_, table.empty() ? "" : head + table);
      } else {
        for (const TSpan& line : derivedLines_) replace(line, "");
        if (!table.empty()) inserts[text_.size()] += nl + head + table;
      }
    }
  }
  if (!topLines.empty()) inserts[topInsert_].insert(0, topLines);  // after the last top-level value
  // Lines added at the end of a text whose last line has no line end start on a line of their own.
  if (const auto atEnd = inserts.find(text_.size());
      atEnd != inserts.end() && !text_.empty() && !text_.ends_with('\n') && !atEnd->second.starts_with(nl))
    atEnd->second.insert(0, nl);

  std::string out = text_;
  // From the end: at one offset the insertion comes before what is replaced there.
  std::set<std::size_t> offsets;
  for (const auto& [at, edit] : edits) offsets.insert(at);
  for (const auto& [at, text] : inserts) offsets.insert(at);
  for (auto it = offsets.rbegin(); it != offsets.rend(); ++it) {
    if (const auto e = edits.find(*it); e != edits.end()) out.replace(*it, e->second.first - *it, e->second.second);
    if (const auto i = inserts.find(*it); i != inserts.end()) out.insert(*it, i->second);
  }
  return out;
}

}  // namespace gliffo
