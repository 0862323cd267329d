// Developer tool: makes a shaken test photograph of any shape from one of
// the test pictures, for timing the engine on real photo shapes.
//
//   make_test_photo SOURCE.ppm KERNEL.txt WIDTH HEIGHT OUTPUT.ppm
//
// The source is cropped about its centre to the target's aspect ratio,
// resized to WIDTH x HEIGHT and blurred with the kernel, the edges repeated.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "bench_support.h"
#include "geometry.h"

int main(int argc, char** argv) {
    if (argc != 6) {
        std::cerr << "usage: make_test_photo SOURCE.ppm KERNEL.txt WIDTH HEIGHT OUTPUT.ppm" << std::endl;
        return 2;
    }
    const int width = std::atoi(argv[3]);
    const int height = std::atoi(argv[4]);
    if (width <= 0 || height <= 0) {
        std::cerr << "make_test_photo: WIDTH and HEIGHT must be positive" << std::endl;
        return 2;
    }
    const imgproc::Image photo = bench::shakenPhoto(bench::readPpm(argv[1]), bench::readKernel(argv[2]), width, height);
    std::ofstream out(argv[5], std::ios::binary);
    out << "P6\n" << width << " " << height << "\n255\n";
    std::vector<unsigned char> bytes(photo.size());
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(photo.data[i] * 255.0f + 0.5f);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::cerr << "make_test_photo: cannot write " << argv[5] << std::endl;
        return 1;
    }
    return 0;
}
