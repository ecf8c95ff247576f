#pragma once
// How a text record's layer, point and height become the text entity's.
#include <cstdint>
#include <string>
#include <string_view>

namespace ostrel {

// Shortens the layer of a text record, in place, by LayerStyle: 1 keeps the
// text before the first "-", 2 the text between the first and second "-"
// (empty without a "-"), other values the whole name. Names that begin with
// "ANNOTATION-" are kept whole.
void ShortenTextLayer(std::string& layer, std::int16_t layerStyle);

struct TextPlacement {
    double x = 0, y = 0, height = 0;
};

// The text's reference point moved three quarters of the size h towards
// the underside of text at rotation r (radians), and its height, half of h.
TextPlacement PlaceText(double x, double y, double h, double r);

} // namespace ostrel
