#pragma once
// `ostrel plot`: model space or a layout of a drawing drawn into a PDF, PNG
// or SVG file with Cairo.
#include <string>

namespace ostrel::cli {

// layout empty: model space. Exit status 0, 1 when the drawing cannot be
// read or the picture written, 2 for an unknown layout or picture type.
int PlotDrawing(const std::string& drawing, const std::string& picture, const std::string& layout);

} // namespace ostrel::cli
