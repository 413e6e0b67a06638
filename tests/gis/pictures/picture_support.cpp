#include "picture_support.h"

#include <png.h>

#include <regex>
#include <sstream>

Picture::Pixel Picture::at(int x, int y) const {
    const unsigned char* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
    return Pixel{p[0], p[1], p[2]};
}

int Picture::count(const Pixel& c, int x, int y, int w, int h) const {
    int n = 0;
    for (int py = y; py < y + h && py < height; ++py) {
        for (int px = x; px < x + w && px < width; ++px) n += at(px, py) == c ? 1 : 0;
    }
    return n;
}

Picture read_png(const std::string& path) {
    Picture p;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) return p;
    image.format = PNG_FORMAT_RGB;
    p.rgb.resize(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, p.rgb.data(), 0, nullptr) == 0) return p;
    p.width = static_cast<int>(image.width);
    p.height = static_cast<int>(image.height);
    p.read = true;
    return p;
}

std::vector<std::pair<double, double>> svg_polyline(const std::string& svg, const std::string& name) {
    std::smatch m;
    std::vector<std::pair<double, double>> points;
    if (!std::regex_search(svg, m, std::regex("<polyline class=\"" + name + "\"[^>]*points=\"([^\"]*)\""))) {
        return points;
    }
    std::istringstream in(m[1].str());
    double x = 0, y = 0;
    char comma = 0;
    while (in >> x >> comma >> y) points.emplace_back(x, y);
    return points;
}

std::vector<double> svg_x_ticks(const std::string& svg) {
    std::vector<double> ticks;
    const std::regex tick("text-anchor=\"middle\">(-?[0-9.]+)</text>");
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), tick); it != std::sregex_iterator(); ++it) {
        ticks.push_back(std::stod((*it)[1]));
    }
    return ticks;
}
