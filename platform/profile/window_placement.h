#pragma once
// Where a window stood, kept in one section of the settings file between runs.
#include <string>
#include <vector>

namespace gliffo::profile {

// A rectangle of screen pixels: its top-left corner and its size.
struct TScreenArea {
  int Left = 0, Top = 0, Width = 0, Height = 0;
};

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
  // Where windows may stand: the available area of each screen, the primary one first. None
  // known means the placement is taken as it stands.
  virtual std::vector<TScreenArea> Screens() const { return {}; }
};

// A placement moved and cut to fit one screen: the screen it overlaps most (the first when it
// overlaps none), its size cut to that screen's and its corner moved so that all of it shows.
TScreenArea FitToScreens(TScreenArea placement, const std::vector<TScreenArea>& screens);

inline constexpr const char* CollectionWindowSection = "Window";
inline constexpr const char* EditorWindowSection = "EWindow";

// A maximised window stays maximised and reads nothing else; otherwise Left, Top, Width and
// Height are taken in that order, each defaulting to the window's current value, and fitted to
// the screens first, so that no settings file can put a window out of sight or make it larger
// than a screen.
void LoadWindowPlacement(IPlacedWindow& window, const std::string& section, const std::string& fileName);

// A maximised window writes "State" = 1 only; any other writes the four geometry entries in
// order and a "State" of 0 where the file says it was maximised. Raises EIniFileException "Unable to write to <file>" at the
// first entry that cannot be written; the entries after it are not written.
void SaveWindowPlacement(const IPlacedWindow& window, const std::string& section, const std::string& fileName);

}  // namespace gliffo::profile
