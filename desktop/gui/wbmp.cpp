#include "desktop/gui/wbmp.h"

#include <QPainter>
#include <QString>

namespace {

// Fresh pixels are white with the unused byte at 0xFF, as the format wants.
QImage BlankImage(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(0xFFFFFFFFu);
  return image;
}

}  // namespace

WBmp::WBmp(int width, int height) : image_(BlankImage(width, height)) {}

WBmp::~WBmp() = default;

void WBmp::Resize(int width, int height) {
  if (width == GetWidth() && height == GetHeight()) return;
  image_ = BlankImage(width, height);
}

bool WBmp::CopyFromBitmap(const QImage& source) {
  if (source.isNull()) return false;
  QImage converted = source.convertToFormat(QImage::Format_RGB32);
  if (converted.isNull()) return false;
  image_ = converted;
  return true;
}

void WBmp::LoadFromResource(int id) { CopyFromBitmap(QImage(QStringLiteral(":/images/bitmap_%1.png").arg(id))); }

void WBmp::Draw(QPainter& painter, int x, int y, int sourceX, int sourceY, int width, int height) const {
  if (image_.isNull()) return;
  if (width == 0) width = GetWidth();
  if (height == 0) height = GetHeight();
  painter.drawImage(QPoint(x, y), image_, QRect(sourceX, sourceY, width, height));
}
