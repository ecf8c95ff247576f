#pragma once
// One outline line of the symbol-definition file.
#include <string_view>
#include <vector>

namespace ostrel {

struct OutlineVertex {
    double x = 0, y = 0;
};

// Reads an outline line: x1,y1,x2,y2,... each value followed by a comma. A
// line whose last seven characters are "-9.999," is closed, and its last
// fourteen characters (the closing pair) are cut before the vertices are
// read. Vertices are read in pairs while the x field holds more than blanks
// (so blanks after the closing pair end the list like the usual trailing
// comma does); a missing y reads as 0. Returns false, leaving vertices empty, when the (cut) line
// holds fewer than three commas: it is not an outline.
bool ParseOutline(std::string_view line, std::vector<OutlineVertex>& vertices, bool& closed);

} // namespace ostrel
