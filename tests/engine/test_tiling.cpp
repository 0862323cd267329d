#include <gtest/gtest.h>

#include <tuple>
#include <utility>

#include "test_support.h"
#include "tiling.h"

using imgproc::Image;
using testsupport::randomImage;

namespace {

struct Grid {
    Image* tiles = nullptr;
    int32_t rows = -1;
    int32_t cols = -1;
    explicit Grid(const Image& picture) { imgproc::splitIntoTiles(picture, tiles, rows, cols); }
    ~Grid() { delete[] tiles; }
    // Every tile k (row by row) filled with the value k + 1.
    void numberTiles() {
        for (int k = 0; k < rows * cols; ++k)
            for (size_t i = 0; i < tiles[k].size(); ++i) tiles[k].data[i] = static_cast<float>(k + 1);
    }
};

float valueAt(const Image& image, int y, int x, int c = 0) {
    return image.data[(static_cast<size_t>(y) * image.width + x) * image.channels + c];
}

}  // namespace

TEST(Tiling, CutTileCopiesTheBlock) {
    const Image picture = randomImage(6, 7, 3, 1);
    Image block;
    imgproc::cutTile(picture, 2, 5, 1, 4, block);
    ASSERT_EQ(std::tuple(block.height, block.width, block.channels), std::tuple(3, 3, 3));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            for (int c = 0; c < 3; ++c) ASSERT_EQ(valueAt(block, y, x, c), valueAt(picture, y + 2, x + 1, c));
}

TEST(Tiling, BlendIsTheMeanOfTheTilesCoveringAPixel) {
    // The shared square is the mean of all four tiles, the bands of two.
    Grid grid(randomImage(1600, 2000, 1, 2));
    grid.numberTiles();
    Image blended;
    imgproc::blendTiles(grid.tiles, grid.rows, grid.cols, blended);
    ASSERT_EQ(std::pair(blended.height, blended.width), std::pair(1600, 2000));
    const std::tuple<int, int, float> probes[] = {{500, 500, 1.0f},    {1100, 1100, 2.5f}, {1000, 1199, 2.5f},
                                                  {1100, 500, 2.0f},   {500, 1100, 1.5f},  {1100, 1200, 3.0f},
                                                  {1599, 1999, 4.0f}};
    for (auto [y, x, value] : probes) EXPECT_EQ(valueAt(blended, y, x), value) << y << "," << x;

    // An extra tile row of 201 keeps full weight below the band.
    Grid tall(randomImage(1201, 300, 1, 4));
    tall.numberTiles();
    imgproc::blendTiles(tall.tiles, tall.rows, tall.cols, blended);
    for (auto [y, value] : {std::pair(999, 1.0f), std::pair(1000, 1.5f), std::pair(1199, 1.5f), std::pair(1200, 2.0f)})
        EXPECT_EQ(valueAt(blended, y, 10), value) << y;
}

TEST(Tiling, TilesStartEveryThousandPixelsAndBlendBackToThePicture) {
    const struct { int height, width, channels, rows, cols, lastHeight, lastWidth; } cases[] = {
        {1600, 2000, 1, 2, 2, 600, 1000},  // tiles of up to 1200 pixels
        {1200, 1600, 3, 1, 2, 1200, 600},  // one tile row, the second tile from column 1000
        {1201, 300, 1, 2, 1, 201, 300},    // an extra row of tiles
        {2201, 2350, 1, 3, 3, 201, 350},   // a middle tile blended on all four sides
    };
    for (const auto& c : cases) {
        const Image picture = randomImage(c.height, c.width, c.channels, 3);
        Grid grid(picture);
        const Image& last = grid.tiles[c.rows * c.cols - 1];
        ASSERT_EQ(std::tuple(grid.rows, grid.cols, last.height, last.width, last.channels),
                  std::tuple(c.rows, c.cols, c.lastHeight, c.lastWidth, c.channels));
        Image blended;
        imgproc::blendTiles(grid.tiles, grid.rows, grid.cols, blended);
        ASSERT_EQ(std::pair(blended.height, blended.width), std::pair(c.height, c.width));
        EXPECT_EQ(testsupport::maxAbsDiff(blended, picture), 0.0) << c.height << "x" << c.width;
    }
}
