#pragma once
// What the editor window needs of the window that holds the glyph list: the list itself (its
// GlyphSize, its cells, its selection) and where the settings file is read and written. The
// collection window implements it, so the editor never depends on that window's class.
#include "glyphs/glyph_list.h"
#include "platform/profile/settings_path.h"

namespace gliffo {

class ICollectionHost {
 public:
  virtual ~ICollectionHost() = default;
  virtual TGlyphCollection& Collection() = 0;
  virtual const profile::TSettingsLocation& Settings() const = 0;
  // The program's help, as the collection window's Help > Contents shows it.
  virtual void ShowHelp() {}
};

}  // namespace gliffo
