// Indexed colours: 1..9 named, 10..249 in 24 hues of ten shades each (five
// brightnesses, full and half saturation), 250..255 greys.
#include "picture/indexed_colours.h"

#include <cmath>

namespace ostrel::picture {

namespace {

Rgb FromHsv(double hueDegrees, double saturation, double value) {
    const double c = value * saturation;
    const double h = std::fmod(hueDegrees, 360.0) / 60.0;
    const double x = c * (1 - std::fabs(std::fmod(h, 2.0) - 1));
    double r = 0, g = 0, b = 0;
    if (h < 1) r = c, g = x;
    else if (h < 2) r = x, g = c;
    else if (h < 3) g = c, b = x;
    else if (h < 4) g = x, b = c;
    else if (h < 5) r = x, b = c;
    else r = c, b = x;
    const double m = value - c;
    auto byte = [](double v) { return static_cast<std::uint8_t>(std::lround(std::fmin(std::fmax(v, 0.0), 255.0))); };
    return {byte(r + m), byte(g + m), byte(b + m)};
}

} // namespace

Rgb IndexedColour(int index) {
    static constexpr Rgb kNamed[10] = {{0, 0, 0},       {255, 0, 0},   {255, 255, 0}, {0, 255, 0},
                                       {0, 255, 255},   {0, 0, 255},   {255, 0, 255}, {0, 0, 0},
                                       {128, 128, 128}, {192, 192, 192}};
    if (index < 0) index = -index;
    if (index <= 9) return kNamed[index];
    if (index >= 250 && index <= 255) {
        static constexpr std::uint8_t kGrey[6] = {51, 91, 132, 173, 214, 255};
        const std::uint8_t v = kGrey[index - 250];
        return {v, v, v};
    }
    if (index > 255) return kNamed[7];
    static constexpr double kValue[5] = {255, 204, 153, 127, 76};
    const int k = index - 10;
    return FromHsv((k / 10) * 15.0, (k % 2) ? 0.5 : 1.0, kValue[(k % 10) / 2]);
}

} // namespace ostrel::picture
