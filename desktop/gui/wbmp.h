#pragma once

#include <QImage>

#include <cstdint>

class QPainter;

// A 32-bit top-down bitmap: rows of width pixels, 4 bytes each in the order
// blue, green, red, unused (0xFF), with a row stride of exactly width * 4.
class WBmp {
 public:
  WBmp(int width, int height);
  virtual ~WBmp();

  int GetWidth() const { return image_.width(); }
  int GetHeight() const { return image_.height(); }
  uint8_t* GetPixels() { return image_.bits(); }
  const uint8_t* GetPixels() const { return image_.constBits(); }

  // A new size discards the old pixels; the same size keeps them.
  void Resize(int width, int height);

  // Takes over the size and pixels of source; false when source is empty.
  bool CopyFromBitmap(const QImage& source);

  // Fills the bitmap from the compiled-in bitmap resource id; a missing
  // resource leaves the bitmap as it was.
  void LoadFromResource(int id);

  // Draws the part at (sourceX, sourceY) to (x, y) without stretching. A
  // width or height of 0 means the bitmap's own.
  void Draw(QPainter& painter, int x, int y, int sourceX, int sourceY, int width, int height) const;

 private:
  QImage image_;
};
