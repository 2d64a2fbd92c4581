#include "ui/glyph_clipboard.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <span>
#include <vector>

#include "glyphs/bitmap.h"
#include "formats/image_formats.h"

namespace gliffo {

namespace {

QByteArray Bytes(const std::vector<std::uint8_t>& bytes) {
  return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

}  // namespace

void PutOnClipboard(const TBitmap& picture) {
  auto* data = new QMimeData;
  data->setData(QStringLiteral("image/png"), Bytes(EncodeImage(picture.Image(), ".png", OpaqueEncodeOptions())));
  data->setData(QStringLiteral("image/bmp"), Bytes(EncodeImage(picture.Image(), ".bmp", OpaqueEncodeOptions())));
  QGuiApplication::clipboard()->setMimeData(data);
}

bool TakeFromClipboard(TBitmap& picture) {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  QByteArray bytes;
  if (data != nullptr && data->hasFormat(QStringLiteral("image/png"))) {
    bytes = data->data(QStringLiteral("image/png"));
  } else if (data != nullptr && data->hasFormat(QStringLiteral("image/bmp"))) {
    bytes = data->data(QStringLiteral("image/bmp"));
  } else if (data != nullptr && data->hasImage()) {
    // Any other picture the platform offers, through PNG so one reader takes every paste.
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    qvariant_cast<QImage>(data->imageData()).save(&buffer, "PNG");
  }
  if (bytes.isEmpty()) return false;
  const std::span<const std::uint8_t> clip(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                           static_cast<std::size_t>(bytes.size()));
  // Another program's picture knows nothing of this run's key and matte: the defaults apply.
  std::shared_ptr<TBitmapImage> image = DecodeImage(clip, TDecodeOptions{});
  if (!image) return false;
  picture.ReplaceImage(std::move(image));
  return true;
}

}  // namespace gliffo
