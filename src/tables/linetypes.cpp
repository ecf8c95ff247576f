// Linetype records made from the line style codes of polyline records, named
// from the style file or "lstyle" + a running number.
#include <array>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "run/record_reader.h"
#include "run/run.h"
#include "run/settings.h"
#include "tables/linetype_pattern.h"

namespace ostrel {

namespace {

#ifdef _WIN32
constexpr const char* kStyleFile = "\\styles\\style.lin";
#else
constexpr const char* kStyleFile = "/styles/style.lin";
#endif

constexpr std::uint8_t kAlignmentA = 65;

// Blanks removed from both ends (tabs are kept).
std::string_view TrimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

} // namespace

std::array<float, 4> LinetypeElements(std::int32_t code) {
    char digits[24];
    const long long magnitude = code < 0 ? -static_cast<long long>(code) : code;
    std::snprintf(digits, sizeof digits, "%s%04lld", code < 0 ? "-" : "", magnitude);
    std::array<float, 4> elements{};
    for (std::size_t i = 0; i < elements.size(); ++i) {
        const char c = digits[i];
        const int digit = (c >= '0' && c <= '9') ? c - '0' : 0;
        elements[i] = static_cast<float>(digit / 10.0);
    }
    return elements;
}

double LinetypePatternLength(const std::array<float, 4>& e) {
    return static_cast<double>(e[0]) + static_cast<double>(e[1]) + static_cast<double>(e[2]) +
           static_cast<double>(e[3]);
}

std::string ConversionRun::StyleFileLinetypeName(std::int16_t styleLine) {
    std::string name;
    // The file is read once per call of the conversion; a file that cannot
    // be read is tried (and reported) again each time.
    std::optional<std::vector<std::string>> unkept;
    auto& names = tk ? tk->styleFileNames : unkept;
    if (!names) {
        auto file = OpenForInput(FolderOf(UserSettingsFile) + kStyleFile, true, prompter());
        if (!file) return name;
        names.emplace();
        while (!file->AtEnd()) names->emplace_back(TrimBlanks(GetField(0, file->ReadLine(), "=")));
    }
    if (styleLine >= 0 && static_cast<std::size_t>(styleLine) < names->size()) name = (*names)[styleLine];
    if (!name.empty()) {
        std::string mapped = GetINIValue("LAYERS", "$" + name);
        if (!mapped.empty()) name = std::move(mapped);
    }
    return name;
}

std::string ConversionRun::MakeLinetype(std::int32_t linetypeCode, std::int16_t styleLine) {
    if (DrawingHandle == 0) return {};
    if (LinetypeCounter == std::numeric_limits<std::int16_t>::max())
        throw ConversionError(ErrorCode::Overflow, "Overflow: more than 32767 linetypes in one instance");
    const std::array<float, 4> e = LinetypeElements(linetypeCode);

    LinetypeRecord& lt = tk->linetypeRecord;
    lt.ResetLinetype();
    std::string handle = tk->library->NewHandle(DrawingHandle);
    lt.SetLinetypeHandle(handle);
    lt.SetLinetypeName("");
    if (styleLine > -1) lt.SetLinetypeName(StyleFileLinetypeName(styleLine));
    if (lt.GetLinetypeName().empty()) lt.SetLinetypeName("lstyle" + std::to_string(LinetypeCounter + 1));
    lt.SetLinetypeText(lt.GetLinetypeName());
    lt.SetLinetypeAlignment(kAlignmentA);
    lt.SetDashCount(4);
    lt.SetPatternLength(LinetypePatternLength(e));
    lt.SetDashLength(0, e[0]);
    lt.SetDashLength(1, -e[1]);
    lt.SetDashLength(2, e[2]);
    lt.SetDashLength(3, -e[3]);
    lt.AddLinetype(DrawingHandle);
    ++LinetypeCounter;
    return handle;
}

} // namespace ostrel
