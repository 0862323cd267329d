#include <gtest/gtest.h>

#include <tuple>
#include <utility>

#include "test_support.h"
#include "tiling.h"

using imgproc::Image;

namespace {

using testsupport::randomImage;

struct Grid {
    Image* tiles = nullptr;
    int32_t rows = -1;
    int32_t cols = -1;
    explicit Grid(const Image& picture) { imgproc::splitIntoTiles(picture, tiles, rows, cols); }
    ~Grid() { delete[] tiles; }
    Image& at(int i, int j) { return tiles[i * cols + j]; }
};

float valueAt(const Image& image, int y, int x, int c = 0) {
    return image.data[(static_cast<size_t>(y) * image.width + x) * image.channels + c];
}

void expectSameImage(const Image& a, const Image& b) {
    ASSERT_EQ(std::tuple(a.height, a.width, a.channels), std::tuple(b.height, b.width, b.channels));
    for (size_t i = 0; i < a.size(); ++i) ASSERT_EQ(a.data[i], b.data[i]) << "value " << i;
}

}  // namespace

TEST(Tiling, CutTileCopiesTheBlockAndWorksInPlace) {
    Image picture = randomImage(6, 7, 3, 1);
    Image block;
    imgproc::cutTile(picture, 2, 5, 1, 4, block);
    ASSERT_EQ(std::tuple(block.height, block.width, block.channels, block.extra), std::tuple(3, 3, 3, 0));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            for (int c = 0; c < 3; ++c) ASSERT_EQ(valueAt(block, y, x, c), valueAt(picture, y + 2, x + 1, c));

    imgproc::cutTile(picture, 2, 5, 1, 4, picture);
    expectSameImage(picture, block);
}

TEST(Tiling, GridOfTwoByTwo) {
    const Image picture = randomImage(1600, 2000, 1, 2);
    Grid grid(picture);
    ASSERT_EQ(std::pair(grid.rows, grid.cols), std::pair(2, 2));
    EXPECT_EQ(std::pair(grid.at(0, 0).height, grid.at(0, 0).width), std::pair(1200, 1200));
    EXPECT_EQ(std::pair(grid.at(1, 0).height, grid.at(0, 1).width), std::pair(600, 1000));
    const Image& last = grid.at(1, 1);
    ASSERT_EQ(std::pair(last.height, last.width), std::pair(600, 1000));
    EXPECT_EQ(valueAt(last, 0, 0), valueAt(picture, 1000, 1000));
    EXPECT_EQ(valueAt(last, 599, 999), valueAt(picture, 1599, 1999));

    // Four constant tiles: the shared square is the mean of all four, the
    // shared bands the mean of two, the rest untouched.
    for (int k = 0; k < 4; ++k) {
        Image& tile = grid.tiles[k];
        for (size_t i = 0; i < tile.size(); ++i) tile.data[i] = static_cast<float>(k + 1);
    }
    Image blended;
    imgproc::blendTiles(grid.tiles, grid.rows, grid.cols, blended);
    ASSERT_EQ(std::pair(blended.height, blended.width), std::pair(1600, 2000));
    EXPECT_EQ(valueAt(blended, 500, 500), 1.0f);
    EXPECT_EQ(valueAt(blended, 1100, 1100), 2.5f);
    EXPECT_EQ(valueAt(blended, 1000, 1199), 2.5f);
    EXPECT_EQ(valueAt(blended, 1100, 500), 2.0f);   // tiles 1 and 3
    EXPECT_EQ(valueAt(blended, 500, 1100), 1.5f);   // tiles 1 and 2
    EXPECT_EQ(valueAt(blended, 1100, 1200), 3.0f);  // tiles 2 and 4
    EXPECT_EQ(valueAt(blended, 1599, 1999), 4.0f);
}

TEST(Tiling, BlendOfUncutTilesGivesThePictureBack) {
    const struct { int height, width, channels, rows, cols, lastHeight, lastWidth; } cases[] = {
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
        EXPECT_EQ(valueAt(last, 0, 0, c.channels - 1),
                  valueAt(picture, c.height - c.lastHeight, c.width - c.lastWidth, c.channels - 1));
        Image blended;
        imgproc::blendTiles(grid.tiles, grid.rows, grid.cols, blended);
        expectSameImage(blended, picture);
    }
}

TEST(Tiling, ExtraRowKeepsFullWeight) {
    Grid grid(randomImage(1201, 300, 1, 4));
    Image blended;
    for (size_t i = 0; i < grid.at(0, 0).size(); ++i) grid.at(0, 0).data[i] = 1.0f;
    for (size_t i = 0; i < grid.at(1, 0).size(); ++i) grid.at(1, 0).data[i] = 3.0f;
    imgproc::blendTiles(grid.tiles, grid.rows, grid.cols, blended);
    EXPECT_EQ(valueAt(blended, 999, 10), 1.0f);
    EXPECT_EQ(valueAt(blended, 1000, 10), 2.0f);
    EXPECT_EQ(valueAt(blended, 1199, 10), 2.0f);
    EXPECT_EQ(valueAt(blended, 1200, 10), 3.0f);
}

TEST(Tiling, ThinPictureGivesEmptyGridAndEmptyBlend) {
    const Image picture = randomImage(150, 1700, 1, 6);
    Grid grid(picture);
    EXPECT_EQ(std::pair(grid.rows, grid.cols), std::pair(0, 2));
    Image blended = picture;
    imgproc::blendTiles(grid.tiles, grid.rows, grid.cols, blended);
    EXPECT_EQ(blended.size(), 0u);
}
