#pragma once
// `ostrel info`: what a drawing holds.
#include <cstdint>
#include <functional>
#include <map>
#include <string>

namespace ostrel::cli {

// Kinds a reader skipped, the most numerous first: "2 MESH, 1 ACAD_TABLE";
// empty when there are none.
std::string NotReadText(const std::map<std::string, std::uint32_t, std::less<>>& counts);

// Prints the drawing's release, layers, blocks, layouts, entity counts by
// type and space, the kinds its reader skipped, and extents, as text or JSON, on stdout. Exit status 0,
// or 1 when the drawing cannot be read.
int PrintDrawingInfo(const std::string& path, bool json);

} // namespace ostrel::cli
