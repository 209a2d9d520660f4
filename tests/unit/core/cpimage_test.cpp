#include "core/cpimage.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

TEST(FitWithinTest, Cases) {
  const struct {
    uint32_t boxWidth, boxHeight, imageWidth, imageHeight;
    double tolerance;
    uint32_t width, height;
  } cases[] = {
      {921, 768, 1342, 250, 0.0, 921, 171},  // width limits
      {400, 200, 200, 100, 0.0, 400, 200},   // equal ratios
      {100, 100, 50, 200, 0.0, 25, 100},     // height limits
      {1000, 1000, 10, 5, 0.0, 1000, 500},   // small images are enlarged
      {0, 768, 1342, 250, 0.0, 0, 0},       {921, 0, 1342, 250, 0.0, 0, 0},
      {100, 100, 97, 100, 0.05, 100, 100},  // gap 3% snaps to the box
      {100, 100, 97, 100, 0.03, 97, 100},   // gap equal to tolerance stays
      {100, 100, 100, 97, 0.05, 100, 100},  {100, 100, 100, 97, 0.0, 100, 97},
      {100, 100, 0, 50, 0.0, 0, 100},       {100, 100, 0, 0, 0.5, 0, 0},  // no aspect ratio at all
  };
  for (const auto& c : cases) {
    uint32_t width = 12345;
    uint32_t height = 12345;
    FitWithin(c.boxWidth, c.boxHeight, c.imageWidth, c.imageHeight, c.tolerance, width, height);
    EXPECT_EQ(width, c.width) << c.boxWidth << "x" << c.boxHeight << " " << c.imageWidth << "x" << c.imageHeight
                              << " t=" << c.tolerance;
    EXPECT_EQ(height, c.height) << c.boxWidth << "x" << c.boxHeight << " " << c.imageWidth << "x" << c.imageHeight
                                << " t=" << c.tolerance;
  }
}

// One plane, pixel step 1, rows packed.
Bytes ResizeGray(const Bytes& source, uint32_t width, uint32_t height, uint32_t newWidth, uint32_t newHeight) {
  Bytes out(static_cast<size_t>(newWidth) * newHeight, 0xEE);
  ResizeImage(source.data(), out.data(), 1, 1, 1, width, newWidth, width, height, newWidth, newHeight);
  return out;
}

TEST(ResizeImageTest, GrayCases) {
  const struct {
    Bytes source;
    uint32_t width, height, newWidth, newHeight;
    Bytes expected;
  } cases[] = {
      {{0, 100, 200, 40}, 4, 1, 2, 1, {50, 120}},            // box 4 x 2, area 8
      {{0, 90, 180}, 3, 1, 2, 1, {30, 150}},                 // box 3 x 2, area 6
      {{10, 250}, 2, 1, 4, 1, {10, 10, 250, 250}},           // nearest, no blending
      {{10, 250}, 1, 2, 1, 4, {10, 10, 250, 250}},           // the same down a column
      {{1, 2, 3, 4, 5, 6}, 3, 2, 3, 2, {1, 2, 3, 4, 5, 6}},  // same size
      {{0, 255, 255, 0}, 2, 2, 1, 1, {128}},                 // (510 + 8) / 16 rounds half up
      {{7, 9}, 2, 1, 1, 1, {8}},
      {{1, 2, 3}, 3, 1, 0, 1, {}},  // nothing to write
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ResizeGray(c.source, c.width, c.height, c.newWidth, c.newHeight), c.expected)
        << c.width << "x" << c.height << " -> " << c.newWidth << "x" << c.newHeight;
  }
}

TEST(ResizeImageTest, FourthByteOnlyWithFourPlanes) {
  // Two 32-bit pixels averaged into one.
  const Bytes source = {10, 20, 30, 40, 30, 40, 50, 60};
  Bytes four = {0xEE, 0xEE, 0xEE, 0xEE};
  Bytes three = four;
  ResizeImage(source.data(), four.data(), 4, 4, 4, 8, 4, 2, 1, 1, 1);
  ResizeImage(source.data(), three.data(), 3, 4, 4, 8, 4, 2, 1, 1, 1);
  EXPECT_EQ(four, (Bytes{20, 30, 40, 50}));
  EXPECT_EQ(three, (Bytes{20, 30, 40, 0xEE}));
}

TEST(ResizeImageTest, TooManyPlanesIsAProgrammingError) {
  const Bytes source(8, 0);
  Bytes out(8, 0);
  EXPECT_DEATH(ResizeImage(source.data(), out.data(), 5, 5, 5, 5, 5, 1, 1, 1, 1),
               "planes <= kMaxResizePlanes, file cpimage");
}

// The sampling written out from its definition, with 64-bit positions.
Bytes ReferenceResize(const Bytes& source, uint32_t planes, uint32_t step, uint32_t stride, uint32_t width,
                      uint32_t height, uint32_t newWidth, uint32_t newHeight) {
  Bytes out(static_cast<size_t>(newWidth) * newHeight * planes);
  uint64_t boxX = std::max<uint64_t>(1, 2ull * width / newWidth);
  uint64_t boxY = std::max<uint64_t>(1, 2ull * height / newHeight);
  for (uint64_t dy = 0; dy < newHeight; ++dy) {
    for (uint64_t dx = 0; dx < newWidth; ++dx) {
      const uint64_t sy = dy * 2 * height / newHeight;
      const uint64_t sx = dx * 2 * width / newWidth;
      for (uint32_t c = 0; c < planes; ++c) {
        uint64_t sum = 0;
        for (uint64_t j = 0; j < boxY; ++j)
          for (uint64_t i = 0; i < boxX; ++i) sum += source[(sy + j) / 2 * stride + (sx + i) / 2 * step + c];
        out[(dy * newWidth + dx) * planes + c] = static_cast<uint8_t>((sum + boxX * boxY / 2) / (boxX * boxY));
      }
    }
  }
  return out;
}

// Channel c of every destination pixel, packed.
Bytes Channels(const Bytes& image, uint32_t planes, uint32_t step, uint32_t stride, uint32_t width, uint32_t height) {
  Bytes packed;
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x)
      for (uint32_t c = 0; c < planes; ++c) packed.push_back(image[static_cast<size_t>(y) * stride + x * step + c]);
  return packed;
}

// The 32-bit three-plane loop must give exactly the bytes of the general
// loop, which in turn must match the plain definition; padding and the
// fourth byte stay untouched.
TEST(ResizeImageTest, PackedPathMatchesGeneralPathOnRandomImages) {
  std::mt19937 random(20261210);
  const struct {
    uint32_t width, height, newWidth, newHeight;
  } sizes[] = {
      {1342, 250, 921, 171}, {360, 67, 97, 18}, {5, 3, 17, 11},   {7, 7, 7, 7},
      {13, 1, 4, 1},         {1, 9, 1, 2},      {31, 17, 30, 16}, {2, 2, 5, 3},
  };
  for (const auto& s : sizes) {
    const uint32_t sourceStride = s.width * 4 + 12;
    Bytes source(static_cast<size_t>(sourceStride) * s.height);
    for (auto& byte : source) byte = static_cast<uint8_t>(random());

    const uint32_t stride = s.newWidth * 4 + 8;
    const Bytes blank(static_cast<size_t>(stride) * s.newHeight, 0xEE);
    Bytes packed = blank;
    Bytes general = blank;
    Bytes narrow(static_cast<size_t>(s.newWidth) * 3 * s.newHeight, 0xEE);
    ResizeImage(source.data(), packed.data(), 3, 4, 4, sourceStride, stride, s.width, s.height, s.newWidth,
                s.newHeight);
    ResizeImage(source.data(), general.data(), 4, 4, 4, sourceStride, stride, s.width, s.height, s.newWidth,
                s.newHeight);
    ResizeImage(source.data(), narrow.data(), 3, 4, 3, sourceStride, s.newWidth * 3, s.width, s.height, s.newWidth,
                s.newHeight);

    const Bytes expected = ReferenceResize(source, 3, 4, sourceStride, s.width, s.height, s.newWidth, s.newHeight);
    EXPECT_EQ(Channels(packed, 3, 4, stride, s.newWidth, s.newHeight), expected)
        << s.width << "x" << s.height << " -> " << s.newWidth << "x" << s.newHeight;
    EXPECT_EQ(Channels(general, 3, 4, stride, s.newWidth, s.newHeight), expected);
    EXPECT_EQ(narrow, expected);

    // Everything but the three planes is left as it was.
    for (size_t i = 0; i < packed.size(); ++i) {
      const size_t column = i % stride;
      if (column >= s.newWidth * 4 || column % 4 == 3) {
        ASSERT_EQ(packed[i], 0xEE) << i;
      }
    }
  }
}

}  // namespace
