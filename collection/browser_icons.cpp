#include "collection/browser_icons.h"

#include <QPainter>
#include <QPainterPath>

#include <map>
#include <string>

namespace gliffo {

namespace {

constexpr int kSize = 16;

QPixmap Blank() {
  QPixmap pixmap(kSize, kSize);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

const QColor kOutline(96, 72, 0);
const QColor kFolderBack(230, 190, 60);
const QColor kFolderFront(255, 222, 110);

QPixmap ClosedFolder() {
  QPixmap pixmap = Blank();
  QPainter p(&pixmap);
  p.setPen(kOutline);
  p.setBrush(kFolderBack);
  p.drawRect(1, 3, 5, 2);  // the tab
  p.setBrush(kFolderFront);
  p.drawRect(1, 5, 13, 9);
  return pixmap;
}

QPixmap OpenFolder(bool current) {
  QPixmap pixmap = Blank();
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(kOutline);
  p.setBrush(kFolderBack);
  p.drawRect(1, 3, 5, 2);
  p.drawRect(1, 5, 12, 9);
  // The front flap tilts open.
  QPolygon flap;
  flap << QPoint(3, 8) << QPoint(15, 8) << QPoint(13, 14) << QPoint(1, 14);
  p.setBrush(current ? QColor(255, 250, 200) : kFolderFront);
  p.drawPolygon(flap);
  if (current) {
    // A page sticks out of the folder that is open now.
    p.setPen(QColor(40, 40, 40));
    p.setBrush(Qt::white);
    p.drawRect(6, 1, 6, 6);
    p.drawLine(8, 3, 10, 3);
    p.drawLine(8, 5, 10, 5);
  }
  return pixmap;
}

void DriveBody(QPainter& p, const QColor& face) {
  p.setPen(QColor(64, 64, 64));
  p.setBrush(face);
  p.drawRect(1, 6, 13, 6);
}

QPixmap DrawDrive(drives::DriveKind kind) {
  QPixmap pixmap = Blank();
  QPainter p(&pixmap);
  switch (kind) {
    case drives::DriveKind::Fixed:
      DriveBody(p, QColor(192, 192, 192));
      p.fillRect(11, 10, 2, 1, QColor(0, 160, 0));  // the activity light
      break;
    case drives::DriveKind::Removable:
      DriveBody(p, QColor(192, 192, 192));
      p.fillRect(3, 8, 8, 1, Qt::black);  // the slot
      break;
    case drives::DriveKind::Network:
      DriveBody(p, QColor(192, 192, 192));
      p.fillRect(11, 10, 2, 1, QColor(0, 160, 0));
      p.setPen(QColor(0, 0, 160));  // the cable
      p.drawLine(7, 13, 7, 15);
      p.drawLine(2, 15, 13, 15);
      break;
    case drives::DriveKind::CdRom:
      p.setRenderHint(QPainter::Antialiasing, true);
      p.setPen(QColor(64, 64, 64));
      p.setBrush(QColor(200, 220, 240));
      p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
      p.setBrush(Qt::white);
      p.drawEllipse(QRectF(6, 6, 4, 4));
      break;
    case drives::DriveKind::RamDisk:
      p.setPen(QColor(0, 64, 0));
      p.setBrush(QColor(0, 128, 64));
      p.drawRect(1, 5, 13, 6);
      for (int x = 2; x < 14; x += 2) {  // the contacts
        p.fillRect(x, 12, 1, 2, QColor(200, 160, 0));
        p.fillRect(x, 3, 1, 2, QColor(200, 160, 0));
      }
      break;
  }
  return pixmap;
}

}  // namespace

const QPixmap& DriveKindPixmap(drives::DriveKind kind) {
  static std::map<std::string, QPixmap> cache;
  const std::string id = drives::DriveKindIconId(kind);
  auto found = cache.find(id);
  if (found == cache.end()) found = cache.emplace(id, DrawDrive(kind)).first;
  return found->second;
}

const QPixmap& FolderLinePixmap(const drives::FolderLine& line) {
  static const QPixmap closed = ClosedFolder();
  static const QPixmap open = OpenFolder(false);
  static const QPixmap current = OpenFolder(true);
  if (line.IsCurrent) return current;
  return line.Role == drives::FolderLineRole::Subfolder ? closed : open;
}

}  // namespace gliffo
