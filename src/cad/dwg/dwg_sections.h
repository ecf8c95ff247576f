#pragma once
// The sections around the objects: file header with its section locators,
// aux header, empty preview, the sentinel-framed header and classes
// sections, object map, free-space record, second file header and template.
#include <cstdint>
#include <functional>
#include <vector>

#include "cad/drawing.h"
#include "cad/dwg/dwg_header_vars.h"
#include "cad/dwg/dwg_object_stream.h"
#include "cad/release_traits.h"

namespace ostrel::cad::dwg {

struct SectionLocator {
    std::uint8_t number = 0;
    std::uint32_t address = 0;
    std::uint32_t size = 0;
};

using Bytes = std::vector<std::uint8_t>;

// The 0x61-byte file header: version, preview address, code page, six
// locators (numbers 0 to 5 in order), CRC and end sentinel.
Bytes FileHeader(const SectionLocator (&locators)[6], std::uint32_t previewAddress, std::uint16_t codePage);
// The aux header a file of the release carries.
Bytes AuxHeader(DwgDate created, DwgDate updated, Handle handSeed, const ReleaseTraits& release);
Bytes EmptyPreview();
// begin sentinel, RL size (R2018: and a zero high part), data, CRC over size
// and data, end sentinel.
Bytes FramedSection(const std::uint8_t (&begin)[16], const Bytes& data, const std::uint8_t (&end)[16],
                    bool highSize = false);
// R2004 and later: a short preamble and five more fields a class (the
// drawing's objects of it counted); R2007 and later: the data's size in bits
// first and the names in a string stream.
Bytes ClassesData(Release release = Release::R2000, const Drawing* d = nullptr);
// Pages of at most 2032 bytes of (handle, address) pairs in handle order,
// each with its big-endian size and CRC, ended by an empty page, handed to
// `put` page by page. Returns the map's size in bytes.
std::size_t ObjectMap(const ObjectPlaces& places, const std::function<void(const std::uint8_t*, std::size_t)>& put);
Bytes FreeSpace(std::uint32_t objectCount, DwgDate updated, std::uint32_t objectsAddress);
struct SecondHeaderHandles {
    Handle values[14] = {};
};
Bytes SecondHeader(std::uint32_t address, const SectionLocator (&locators)[6], const SecondHeaderHandles& handles,
                   std::uint16_t codePage);
// The template section: its description (RS length, then code-page bytes,
// or UTF-16 where the release has a string stream; none in R2000) and MEASUREMENT.
Bytes Template(std::int16_t measurement, Release release = Release::R2000);
// MEASUREMENT from a template section; -1 when it does not hold one.
int TemplateMeasurement(const std::uint8_t* data, std::size_t size, Release release);

} // namespace ostrel::cad::dwg
