#include "platform/profile/window_placement.h"

#include <algorithm>
#include <cstdint>

#include "platform/profile/ini_file.h"

namespace gliffo::profile {

namespace {
long long Overlap(const TScreenArea& a, const TScreenArea& b) {
  const long long w = std::min<long long>(std::int64_t{a.Left} + a.Width, std::int64_t{b.Left} + b.Width) - std::max(a.Left, b.Left);
  const long long h = std::min<long long>(std::int64_t{a.Top} + a.Height, std::int64_t{b.Top} + b.Height) - std::max(a.Top, b.Top);
  return w > 0 && h > 0 ? w * h : 0;
}
}  // namespace

TScreenArea FitToScreens(TScreenArea placement, const std::vector<TScreenArea>& screens) {
  if (screens.empty()) return placement;
  const TScreenArea* best = &screens.front();
  long long bestOverlap = Overlap(placement, *best);
  for (const TScreenArea& screen : screens) {
    const long long overlap = Overlap(placement, screen);
    if (overlap > bestOverlap) {
      best = &screen;
      bestOverlap = overlap;
    }
  }
  placement.Width = std::clamp(placement.Width, 1, std::max(best->Width, 1));
  placement.Height = std::clamp(placement.Height, 1, std::max(best->Height, 1));
  placement.Left = std::clamp(placement.Left, best->Left, best->Left + best->Width - placement.Width);
  placement.Top = std::clamp(placement.Top, best->Top, best->Top + best->Height - placement.Height);
  return placement;
}

void LoadWindowPlacement(IPlacedWindow& window, const std::string& section, const std::string& fileName) {
  TIniFile ini(fileName);
  if (ini.ReadBool(section, "State", false)) {
    window.SetMaximized();
    return;
  }
  TScreenArea placement;
  placement.Left = ini.ReadInteger(section, "Left", window.Left());
  placement.Top = ini.ReadInteger(section, "Top", window.Top());
  placement.Width = ini.ReadInteger(section, "Width", window.Width());
  placement.Height = ini.ReadInteger(section, "Height", window.Height());
  placement = FitToScreens(placement, window.Screens());
  window.SetLeft(placement.Left);
  window.SetTop(placement.Top);
  window.SetWidth(placement.Width);
  window.SetHeight(placement.Height);
}

void SaveWindowPlacement(const IPlacedWindow& window, const std::string& section, const std::string& fileName) {
  TIniFile ini(fileName);
  if (window.Maximized()) {
    ini.WriteBool(section, "State", true);
    return;
  }
  // A window maximised in an earlier run and restored since opens restored next time.
  if (ini.ReadBool(section, "State", false)) ini.WriteBool(section, "State", false);
  ini.WriteInteger(section, "Left", window.Left());
  ini.WriteInteger(section, "Top", window.Top());
  ini.WriteInteger(section, "Width", window.Width());
  ini.WriteInteger(section, "Height", window.Height());
}

}  // namespace gliffo::profile
