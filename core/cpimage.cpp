#include "core/cpimage.h"

#include <cstddef>

#include "core/cpassert.h"

void FitWithin(uint32_t boxWidth, uint32_t boxHeight, uint32_t imageWidth, uint32_t imageHeight, double tolerance,
               uint32_t& fittedWidth, uint32_t& fittedHeight) {
  // An empty image has no aspect ratio; dividing by its zero ratio would
  // turn NaN into an integer.
  if (boxWidth == 0 || boxHeight == 0 || (imageWidth == 0 && imageHeight == 0)) {
    fittedWidth = 0;
    fittedHeight = 0;
    return;
  }
  const double ratioX = static_cast<double>(imageWidth) / boxWidth;
  const double ratioY = static_cast<double>(imageHeight) / boxHeight;
  if (ratioY > ratioX) {
    fittedHeight = boxHeight;
    fittedWidth = static_cast<uint32_t>(imageWidth / ratioY);
    if (static_cast<double>(boxWidth - fittedWidth) / boxWidth < tolerance) fittedWidth = boxWidth;
  } else {
    fittedWidth = boxWidth;
    fittedHeight = static_cast<uint32_t>(imageHeight / ratioX);
    if (static_cast<double>(boxHeight - fittedHeight) / boxHeight < tolerance) fittedHeight = boxHeight;
  }
}

namespace {

// The sampling grid shared by both loops: box sizes in half-pixels and the
// rounding constants of the average.
struct ResampleGrid {
  uint32_t boxX;
  uint32_t boxY;
  uint32_t area;
  uint32_t half;
};

ResampleGrid MakeGrid(uint32_t sourceWidth, uint32_t sourceHeight, uint32_t destinationWidth,
                      uint32_t destinationHeight) {
  ResampleGrid grid;
  grid.boxX = (2 * sourceWidth) / destinationWidth;
  grid.boxY = (2 * sourceHeight) / destinationHeight;
  if (grid.boxX == 0) grid.boxX = 1;
  if (grid.boxY == 0) grid.boxY = 1;
  grid.area = grid.boxX * grid.boxY;
  grid.half = grid.area / 2;
  return grid;
}

uint8_t Average(uint32_t sum, const ResampleGrid& grid) {
  const uint32_t value = (sum + grid.half) / grid.area;
  return static_cast<uint8_t>(value > 255 ? 255 : value);
}

struct ResizeJob {
  const uint8_t* source;
  uint8_t* destination;
  uint32_t planes;
  uint32_t sourceStep;
  uint32_t destinationStep;
  uint32_t sourceStride;
  uint32_t destinationStride;
  uint32_t sourceWidth;
  uint32_t sourceHeight;
  uint32_t destinationWidth;
  uint32_t destinationHeight;
  ResampleGrid grid;
};

const uint8_t* SourceRow(const ResizeJob& job, uint32_t halfRow) {
  return job.source + static_cast<size_t>(halfRow / 2) * job.sourceStride;
}

// (index x 2 x source) / destination for index 0, 1, 2, ... kept as a
// quotient and remainder so that no pixel pays for a division.
class HalfPixelWalk {
 public:
  HalfPixelWalk(uint32_t sourceSize, uint32_t destinationSize)
      : wholeStep_(2 * sourceSize / destinationSize),
        remainderStep_(2 * sourceSize % destinationSize),
        destinationSize_(destinationSize) {}
  uint32_t Position() const { return position_; }
  void Advance() {
    position_ += wholeStep_;
    remainder_ += remainderStep_;
    if (remainder_ >= destinationSize_) {
      remainder_ -= destinationSize_;
      ++position_;
    }
  }

 private:
  uint32_t wholeStep_;
  uint32_t remainderStep_;
  uint32_t destinationSize_;
  uint32_t position_ = 0;
  uint32_t remainder_ = 0;
};

// Visits every destination pixel with the first source half-column and
// half-row of its box.
template <typename ResamplePixel>
void ForEachDestinationPixel(const ResizeJob& job, ResamplePixel resample) {
  HalfPixelWalk rows(job.sourceHeight, job.destinationHeight);
  for (uint32_t dy = 0; dy < job.destinationHeight; ++dy, rows.Advance()) {
    uint8_t* out = job.destination + static_cast<size_t>(dy) * job.destinationStride;
    HalfPixelWalk columns(job.sourceWidth, job.destinationWidth);
    for (uint32_t dx = 0; dx < job.destinationWidth; ++dx, columns.Advance()) {
      resample(out, columns.Position(), rows.Position());
      out += job.destinationStep;
    }
  }
}

void ResizeAnyPlanes(const ResizeJob& job) {
  const ResampleGrid& grid = job.grid;
  ForEachDestinationPixel(job, [&](uint8_t* out, uint32_t sx, uint32_t sy) {
    for (uint32_t c = 0; c < job.planes; ++c) {
      uint32_t sum = 0;
      for (uint32_t j = 0; j < grid.boxY; ++j) {
        const uint8_t* row = SourceRow(job, sy + j) + c;
        for (uint32_t i = 0; i < grid.boxX; ++i) sum += row[static_cast<size_t>((sx + i) / 2) * job.sourceStep];
      }
      out[c] = Average(sum, grid);
    }
  });
}

// 32-bit pixels with three planes: three running sums, the fourth byte of
// each destination pixel untouched.
void ResizePackedRgb(const ResizeJob& job) {
  const ResampleGrid& grid = job.grid;
  ForEachDestinationPixel(job, [&](uint8_t* out, uint32_t sx, uint32_t sy) {
    uint32_t sum0 = 0, sum1 = 0, sum2 = 0;
    for (uint32_t j = 0; j < grid.boxY; ++j) {
      const uint8_t* row = SourceRow(job, sy + j);
      for (uint32_t i = 0; i < grid.boxX; ++i) {
        const uint8_t* pixel = row + static_cast<size_t>((sx + i) / 2) * 4;
        sum0 += pixel[0];
        sum1 += pixel[1];
        sum2 += pixel[2];
      }
    }
    out[0] = Average(sum0, grid);
    out[1] = Average(sum1, grid);
    out[2] = Average(sum2, grid);
  });
}

}  // namespace

void ResizeImage(const uint8_t* source, uint8_t* destination, uint32_t planes, uint32_t sourceStep,
                 uint32_t destinationStep, uint32_t sourceStride, uint32_t destinationStride, uint32_t sourceWidth,
                 uint32_t sourceHeight, uint32_t destinationWidth, uint32_t destinationHeight) {
  CP_ASSERT("cpimage", planes <= kMaxResizePlanes);
  if (destinationWidth == 0 || destinationHeight == 0) return;
  const ResizeJob job{source,
                      destination,
                      planes,
                      sourceStep,
                      destinationStep,
                      sourceStride,
                      destinationStride,
                      sourceWidth,
                      sourceHeight,
                      destinationWidth,
                      destinationHeight,
                      MakeGrid(sourceWidth, sourceHeight, destinationWidth, destinationHeight)};
  if (planes == 3 && sourceStep == 4 && destinationStep == 4)
    ResizePackedRgb(job);
  else
    ResizeAnyPlanes(job);
}
