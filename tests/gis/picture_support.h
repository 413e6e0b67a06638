// PNG pictures read back for tests, pixel by pixel.
#ifndef TARVEX_GIS_PICTURE_SUPPORT_H
#define TARVEX_GIS_PICTURE_SUPPORT_H

#include <string>
#include <vector>

struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    bool read = false;  // the file was a PNG that could be read

    struct Pixel {
        int r, g, b;
        bool operator==(const Pixel& o) const { return r == o.r && g == o.g && b == o.b; }
        bool grey() const { return r == g && g == b; }
    };
    Pixel at(int x, int y) const;
    // How many pixels of the rectangle have the colour.
    int count(const Pixel& c, int x, int y, int w, int h) const;
};

Picture read_png(const std::string& path);

#endif
