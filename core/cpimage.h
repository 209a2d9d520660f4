#pragma once

#include <cstdint>

inline constexpr uint32_t kMaxResizePlanes = 4;

// The largest size with the image's aspect ratio that fills the box in one
// dimension. The other dimension snaps to the box when the gap it leaves is
// a smaller fraction of the box than tolerance. A zero box gives 0 x 0.
void FitWithin(uint32_t boxWidth, uint32_t boxHeight, uint32_t imageWidth, uint32_t imageHeight, double tolerance,
               uint32_t& fittedWidth, uint32_t& fittedHeight);

// Box-filter resampling of an interleaved 8-bit image on a half-pixel grid.
// Channel c of pixel (x, y) is the byte at y * stride + x * step + c; bytes
// of a destination pixel beyond planes are left alone. planes is 1 to
// kMaxResizePlanes; steps are at least planes. Positions and sums are
// 32-bit: 2 x each source side and 255 x the box area in half-pixels must
// stay below 2^32.
void ResizeImage(const uint8_t* source, uint8_t* destination, uint32_t planes, uint32_t sourceStep,
                 uint32_t destinationStep, uint32_t sourceStride, uint32_t destinationStride, uint32_t sourceWidth,
                 uint32_t sourceHeight, uint32_t destinationWidth, uint32_t destinationHeight);
