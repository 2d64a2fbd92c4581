#pragma once
// The Options menu of the collection window: choices beyond the classic program, each a
// checkable item remembered in the settings file.
//   Include PNG Files       folder loads take *.png files too, in the same name order (off at
//                           start);
//   Transparent key colour  PNG files written by glyph jobs give each glyph's key colour
//                           alpha 0 (on at start); off, every pixel is written opaque.
#include <functional>
#include <string>

#include "formats/image_options.h"
#include "platform/profile/settings_path.h"

class QMenu;
class QMenuBar;

namespace gliffo {

class TFileListBox;

inline constexpr const char* OptionsSection = "Options";
inline constexpr const char* IncludePngFilesKey = "IncludePngFiles";
inline constexpr const char* TransparentKeyKey = "TransparentKeyColour";

// Builds the menu into the bar before `before` (at the end when null), reads both choices from
// the settings and applies them: the file list's mask and the options the glyph list (and its
// editor) write files with.
// A click applies the new choice and writes it to the settings at once; re-listing the folder
// runs inside the guard, so no error reaches the event loop.
QMenu* BuildOptionsMenu(QMenuBar& bar, QMenu* before, TFileListBox* fileList, TImageOptions& options,
                        const profile::TSettingsLocation& settings,
                        const std::function<void(const std::function<void()>&)>& guard);

}  // namespace gliffo
