#pragma once
// `ostrel info`: what a drawing holds.
#include <string>

namespace ostrel::cli {

// Prints the drawing's release, layers, blocks, layouts, entity counts by
// type and space, and extents, as text or JSON, on stdout. Exit status 0,
// or 1 when the drawing cannot be read.
int PrintDrawingInfo(const std::string& path, bool json);

} // namespace ostrel::cli
