#include "platform/profile/window_placement.h"

#include "platform/profile/ini_file.h"

namespace gliffo::profile {

void LoadWindowPlacement(IPlacedWindow& window, const std::string& section, const std::string& fileName) {
  TIniFile ini(fileName);
  if (ini.ReadBool(section, "State", false)) {
    window.SetMaximized();
    return;
  }
  window.SetLeft(ini.ReadInteger(section, "Left", window.Left()));
  window.SetTop(ini.ReadInteger(section, "Top", window.Top()));
  window.SetWidth(ini.ReadInteger(section, "Width", window.Width()));
  window.SetHeight(ini.ReadInteger(section, "Height", window.Height()));
}

void SaveWindowPlacement(const IPlacedWindow& window, const std::string& section, const std::string& fileName) {
  TIniFile ini(fileName);
  if (window.Maximized()) {
    ini.WriteBool(section, "State", true);
    return;
  }
  ini.WriteInteger(section, "Left", window.Left());
  ini.WriteInteger(section, "Top", window.Top());
  ini.WriteInteger(section, "Width", window.Width());
  ini.WriteInteger(section, "Height", window.Height());
}

}  // namespace gliffo::profile
