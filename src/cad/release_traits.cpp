#include "cad/release_traits.h"

namespace ostrel::cad {

namespace {

using C = DwgContainer;

// clang-format off
constexpr ReleaseTraits kTraits[] = {
//   release        acadver   name     classes blockRec lwpoly fills  counts  container      wrRel maint wrMaint strings bitPair vx     hiSize auxTail revHist depList
    {Release::R12,   "AC1009", "R12",   false,  false,   false, false, false,  C::None,       0,    0,    0,      false,  false,  false, false,  0,      false,  false},
    {Release::R13,   "AC1012", "R13",   true,   true,    false, false, false,  C::None,       0,    0,    0,      false,  false,  false, false,  0,      false,  false},
    {Release::R14,   "AC1014", "R14",   true,   true,    false, false, false,  C::None,       0,    0,    0,      false,  false,  false, false,  0,      false,  false},
    {Release::R2000, "AC1015", "R2000", true,   true,    true,  true,  false,  C::Located,    23,   0,    0,      false,  false,  true,  false,  8,      false,  false},
    {Release::R2004, "AC1018", "R2004", true,   true,    true,  true,  true,   C::R2004Pages, 25,   0,    0,      false,  false,  false, false,  8,      false,  false},
    {Release::R2007, "AC1021", "R2007", true,   true,    true,  true,  true,   C::R2007Pages, 27,   0,    0,      true,   false,  false, false,  16,     false,  false},
    {Release::R2010, "AC1024", "R2010", true,   true,    true,  true,  true,   C::R2004Pages, 29,   0,    0,      true,   true,   false, false,  16,     false,  false},
    {Release::R2013, "AC1027", "R2013", true,   true,    true,  true,  true,   C::R2004Pages, 31,   0,    0,      true,   true,   false, false,  16,     false,  false},
    {Release::R2018, "AC1032", "R2018", true,   true,    true,  true,  true,   C::R2004Pages, 33,   0,    0,      true,   true,   false, true,   22,     false,  false},
};
// clang-format on

static_assert(std::size(kTraits) == static_cast<std::size_t>(Release::R2018) + 1);

} // namespace

const ReleaseTraits& Traits(Release release) {
    const auto i = static_cast<std::size_t>(release);
    return kTraits[i < std::size(kTraits) ? i : static_cast<std::size_t>(Release::R2000)];
}

} // namespace ostrel::cad
