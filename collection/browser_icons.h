#pragma once
// The small pictures of the folder browser: one per drive kind and one per folder-list role.
// They are drawn here rather than taken from an icon theme, so the browser looks the same on
// every desktop and in screenshots made without one.
#include <QPixmap>

#include "platform/drives/folder_lines.h"
#include "platform/drives/volumes.h"

namespace gliffo {

// 16 × 16 pictures, made once and shared.
const QPixmap& DriveKindPixmap(drives::DriveKind kind);
// The current folder has its own picture; the root and ancestors show an open folder and the
// subfolders a closed one.
const QPixmap& FolderLinePixmap(const drives::FolderLine& line);

}  // namespace gliffo
