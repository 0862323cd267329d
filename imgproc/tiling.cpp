#include "tiling.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "parallel.h"

namespace imgproc {

void cutTile(const Image& source, int32_t rowBegin, int32_t rowEnd, int32_t colBegin,
             int32_t colEnd, Image& destination) {
    const int32_t rows = rowEnd - rowBegin;
    const int32_t cols = colEnd - colBegin;
    const int32_t channels = source.channels;
    Image tile(rows, cols, channels);
    const size_t rowValues = static_cast<size_t>(cols) * channels;
    for (int32_t r = 0; r < rows; ++r) {
        const float* from =
            source.data + (static_cast<size_t>(rowBegin + r) * source.width + colBegin) * channels;
        std::memcpy(tile.data + r * rowValues, from, rowValues * sizeof(float));
    }
    destination = std::move(tile);
}

namespace {

int32_t tileCount(int32_t extent) {
    const float steps = (static_cast<float>(extent) - static_cast<float>(kTileOverlap)) /
                        static_cast<float>(kTileStep);
    return static_cast<int32_t>(std::ceil(static_cast<double>(steps)));
}

}  // namespace

void splitIntoTiles(const Image& picture, Image*& tiles, int32_t& tileRows, int32_t& tileCols) {
    const int32_t H = picture.height;
    const int32_t W = picture.width;
    tileRows = tileCount(H);
    tileCols = tileCount(W);
    tiles = new Image[static_cast<size_t>(std::max(0, tileRows)) * std::max(0, tileCols)];
    for (int32_t i = 0; i < tileRows; ++i) {
        for (int32_t j = 0; j < tileCols; ++j) {
            cutTile(picture, kTileStep * i, std::min(H, kTileStep * i + kTileLength), kTileStep * j,
                    std::min(W, kTileStep * j + kTileLength), tiles[i * tileCols + j]);
        }
    }
}

void blendTiles(const Image* tiles, int32_t tileRows, int32_t tileCols, Image& destination) {
    // An empty grid has no size to blend into.
    if (tileRows <= 0 || tileCols <= 0) {
        destination = Image();
        return;
    }
    const int32_t width = kTileStep * (tileCols - 1) + tiles[tileCols - 1].width;
    const int32_t height = kTileStep * (tileRows - 1) + tiles[(tileRows - 1) * tileCols].height;
    const int32_t channels = tiles[0].channels;
    Image result(height, width, channels);
    std::memset(result.data, 0, result.capacity() * sizeof(float));

    // Tiles are added one after another so that every pixel sums its tiles
    // in grid order; only the rows within one tile are shared out.
    for (int32_t i = 0; i < tileRows; ++i) {
        for (int32_t j = 0; j < tileCols; ++j) {
            const Image& tile = tiles[i * tileCols + j];
            const int32_t tw = tile.width;
            const int32_t th = tile.height;
            const bool lastRow = i == tileRows - 1;
            const bool firstRow = i == 0;
            const bool lastCol = j == tileCols - 1;
            const bool firstCol = j == 0;
            parallelFor(th, 2, [&](int64_t begin, int64_t end) {
                for (int32_t r = static_cast<int32_t>(begin); r < end; ++r) {
                    float rowWeight = 1.0f;
                    if ((!lastRow && r >= kTileStep) || (!firstRow && r < kTileOverlap)) rowWeight *= 0.5f;
                    const float* from = tile.data + static_cast<size_t>(r) * tw * channels;
                    float* to = result.data +
                                (static_cast<size_t>(kTileStep * i + r) * width + kTileStep * j) * channels;
                    for (int32_t c = 0; c < tw; ++c) {
                        float weight = rowWeight;
                        if ((!lastCol && c >= kTileStep) || (!firstCol && c < kTileOverlap)) weight *= 0.5f;
                        for (int32_t k = 0; k < channels; ++k) {
                            to[c * channels + k] += from[c * channels + k] * weight;
                        }
                    }
                }
            });
        }
    }
    destination = std::move(result);
}

}  // namespace imgproc
