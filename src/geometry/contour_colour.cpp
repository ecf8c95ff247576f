// The colour code of contour lines and their labels.
#include "geometry/contour_colour.h"

#include <string>

#include "run/record_reader.h"
#include "run/settings.h"

namespace ostrel {

namespace {

bool Contains(std::string_view name, std::string_view marker) { return name.find(marker) != std::string_view::npos; }

} // namespace

std::int32_t ContourColour(std::string_view name, std::int32_t colourCode) {
    // An entry of the colour table for the record's own code decides alone.
    const std::string own = GetINIValue("COLORTABLE", std::to_string(colourCode));
    if (!own.empty()) return RoundToInt32(LeadingNumber(own));

    // Labels take the ordinary major colour, whatever else the name says.
    if (Contains(name, "ANNOTATION") || Contains(name, "TEXT"))
        return RoundToInt32(GetNumField(0, GetINIValue("COLORTABLE", "MajorContour")));

    std::string_view key;
    if (Contains(name, "MAJ")) key = "MajorContour";
    else if (Contains(name, "MIN")) key = "MinorContour";
    else return 0;
    const int column = Contains(name, "NEG") ? 1 : 0;
    return RoundToInt32(GetNumField(column, GetINIValue("COLORTABLE", key)));
}

} // namespace ostrel
