#pragma once

#include <cstdint>

#include "image.h"

namespace imgproc {

// Large pictures are deconvolved in overlapping tiles: tile (i, j) starts at
// row 1000 i and column 1000 j and is at most 1200 x 1200, so neighbours
// share bands of 200 pixels.
constexpr int32_t kTileStep = 1000;
constexpr int32_t kTileLength = 1200;
constexpr int32_t kTileOverlap = kTileLength - kTileStep;

// Rows rowBegin .. rowEnd - 1 and columns colBegin .. colEnd - 1 of the source,
// all channels. The destination may be the source itself.
void cutTile(const Image& source, int32_t rowBegin, int32_t rowEnd, int32_t colBegin,
             int32_t colEnd, Image& destination);

// Lays out the grid and cuts every tile; `tiles` receives an array made with
// new[] of tileRows x tileCols images, row by row, which the caller delete[]s.
void splitIntoTiles(const Image& picture, Image*& tiles, int32_t& tileRows, int32_t& tileCols);

// Sum of the tiles at their grid positions, each overlap band weighted so that
// every pixel becomes the mean of the tiles covering it.
void blendTiles(const Image* tiles, int32_t tileRows, int32_t tileCols, Image& destination);

}  // namespace imgproc
