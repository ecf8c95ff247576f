#include "cad/release_traits.h"

#include <iterator>

namespace ostrel::cad {

namespace {

using C = DwgContainer;

// The maintenance versions and the writer's release are those of the leading
// program's own files of each release (a current program saving as the
// release: writer 33, maintenance 29; R2018's 0).
// clang-format off
constexpr ReleaseTraits kTraits[] = {
//   release        acadver   name     classes blockRec lwpoly counts  container      wrRel maint wrMaint strings bitPair vx     hiSize auxTail longMaint revHist depList
    {Release::R12,   "AC1009", "R12",   false,  false,   false, false,  C::None,       0,    0,    0,      false,  false,  false, false,  0,      false,    false,  false},
    {Release::R13,   "AC1012", "R13",   true,   true,    false, false,  C::None,       0,    0,    0,      false,  false,  false, false,  0,      false,    false,  false},
    {Release::R14,   "AC1014", "R14",   true,   true,    false, false,  C::None,       0,    0,    0,      false,  false,  false, false,  0,      false,    false,  false},
    {Release::R2000, "AC1015", "R2000", true,   true,    true,  false,  C::Located,    23,   0,    0,      false,  false,  true,  false,  8,      false,    false,  false},
    {Release::R2004, "AC1018", "R2004", true,   true,    true,  true,   C::R2004Pages, 33,   0x68, 29,     false,  false,  false, false,  16,     false,    true,   false},
    {Release::R2007, "AC1021", "R2007", true,   true,    true,  true,   C::R2007Pages, 33,   0x32, 29,     true,   false,  false, false,  16,     false,    true,   true},
    {Release::R2010, "AC1024", "R2010", true,   true,    true,  true,   C::R2004Pages, 33,   0xE2, 29,     true,   true,   false, true,   16,     false,    true,   false},
    {Release::R2013, "AC1027", "R2013", true,   true,    true,  true,   C::R2004Pages, 33,   0x7D, 29,     true,   true,   false, true,   16,     false,    true,   false},
    {Release::R2018, "AC1032", "R2018", true,   true,    true,  true,   C::R2004Pages, 33,   0,    0,      true,   true,   false, true,   16,     true,     true,   false},
};
// clang-format on

constexpr bool RowsInReleaseOrder() {
    for (std::size_t i = 0; i < std::size(kTraits); ++i)
        if (static_cast<std::size_t>(kTraits[i].release) != i) return false;
    return std::size(kTraits) == static_cast<std::size_t>(Release::R2018) + 1;
}
static_assert(RowsInReleaseOrder(), "one row per release, in the enum's order");

} // namespace

const ReleaseTraits& Traits(Release release) {
    const auto i = static_cast<std::size_t>(release);
    return kTraits[i < std::size(kTraits) ? i : static_cast<std::size_t>(Release::R2000)];
}

const char* AcadVersionString(Release r) { return Traits(r).acadVersion; }

std::optional<Release> ReleaseFromAcadVersion(std::string_view v) {
    if (v == "AC1006") return Release::R12;     // R10 files are read as R12
    for (const ReleaseTraits& t : kTraits)
        if (v == t.acadVersion) return t.release;
    return std::nullopt;
}

const char* ReleaseName(Release r) { return Traits(r).name; }

} // namespace ostrel::cad
