#pragma once
// Where a window stood, kept in one section of the settings file between runs.
#include <string>

namespace gliffo::profile {

// The window as the placement sees it: its outer rectangle in screen pixels, frame included,
// and whether it is maximised.
class IPlacedWindow {
 public:
  virtual ~IPlacedWindow() = default;
  virtual bool Maximized() const = 0;
  virtual void SetMaximized() = 0;
  virtual int Left() const = 0;
  virtual int Top() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual void SetLeft(int value) = 0;
  virtual void SetTop(int value) = 0;
  virtual void SetWidth(int value) = 0;
  virtual void SetHeight(int value) = 0;
};

inline constexpr const char* CollectionWindowSection = "Window";
inline constexpr const char* EditorWindowSection = "EWindow";

// A maximised window stays maximised and reads nothing else; otherwise Left, Top, Width and
// Height are taken in that order, each defaulting to the window's current value.
void LoadWindowPlacement(IPlacedWindow& window, const std::string& section, const std::string& fileName);

// A maximised window writes "State" = 1 only; any other writes the four geometry entries in
// order and leaves "State" alone. Raises EIniFileException "Unable to write to <file>" at the
// first entry that cannot be written; the entries after it are not written.
void SaveWindowPlacement(const IPlacedWindow& window, const std::string& section, const std::string& fileName);

}  // namespace gliffo::profile
