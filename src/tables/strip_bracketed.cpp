// Layer-name clean-up shared by the SYM, TEXT, CIRCLE and polyline records.
#include <string>
#include <string_view>

#include "convert/run.h"

namespace ostrel {

std::string StripBracketed(std::string_view name) {
    const std::size_t open = name.find('(');
    const std::size_t close = name.find(')');
    if (open == std::string_view::npos || close == std::string_view::npos) return std::string(name);
    std::string result;
    result.reserve(open + (name.size() - close - 1));
    result.append(name.substr(0, open)).append(name.substr(close + 1));
    return result;
}

} // namespace ostrel
