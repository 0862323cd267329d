#pragma once

#include "image.h"
#include "prediction_params.h"

namespace imgproc {

// Predicted sharp gradients of the latent image: Gaussian pre-blur, shock
// filter, forward differences, scale-map cut and magnitude threshold. px and py
// become one-channel images of the latent image's size. params may receive new
// gradientThreshold and scaleMapCut values when it asks for them to be chosen.
void predictGradients(PredictionParams& params, const Image& latent, const Image& scaleMap,
                      Image& px, Image& py);

// Approximate Gaussian blur made of up to three box filters (size 1 skipped).
void gaussianBlur(const Image& image, Image& result, float sigma);

// Three box sizes whose successive means approximate a Gaussian of the given
// standard deviation. Returns an array made with new[]; the caller delete[]s it.
int32_t* gaussianBoxSizes(float sigma);

// Local mean of every channel over a windowRows x windowCols window, shrunk to
// the pixels inside the image at the borders. result may be the image itself.
void boxFilter(const Image& image, int windowRows, int windowCols, Image& result);

// One-channel shock filter: a copy of the image after `iterations` steps.
void shockFilter(const Image& image, int iterations, float step, float spacing,
                 Image& result);

// Smallest over the four gradient-orientation bins of the count-th largest
// map value of the bin (0 for an empty bin).
float orientationThreshold(const Image& hx, const Image& hy, const Image& map, int count);

// The k-th largest (k counted from 1) of values[lo..hi]; reorders the range.
// An empty range (hi == -1) gives 0.
float quickSelect(float* values, int lo, int hi, int k);

// Partitions values[lo..hi] around values[lo] in descending order and returns
// the pivot's final index.
int partitionDescending(float* values, int lo, int hi);

}  // namespace imgproc
