// Layer-name clean-up shared by the SYM, TEXT, CIRCLE and polyline records.
#include "tables/strip_bracketed.h"

#include "run/run.h"

namespace ostrel {

void StripBracketedInto(std::string_view name, std::string& out) {
    const std::size_t open = name.find('(');
    const std::size_t close = name.find(')');
    if (open == std::string_view::npos || close == std::string_view::npos) {
        out.assign(name);
        return;
    }
    // When ")" stands before "(", the two pieces overlap: both are kept whole.
    out.assign(name.substr(0, open)).append(name.substr(close + 1));
}

std::string StripBracketed(std::string_view name) {
    std::string result;
    StripBracketedInto(name, result);
    return result;
}

} // namespace ostrel
