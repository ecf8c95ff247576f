#pragma once
// Finds and checks the sections of an R2000 file: the file header and its
// locators, the sentinel-framed header and classes sections, the object map
// and the template. Every failure is a CadError saying what is wrong.
#include <cstdint>
#include <string>
#include <vector>

#include "cad/dwg/dwg_sections.h"

namespace ostrel::cad::dwg {

struct FileLayout {
    std::vector<SectionLocator> sections;   // as listed, 3 to 6 of them
    std::uint16_t codePage = 0;
    const SectionLocator* Find(std::uint8_t number) const;
};

// Checks the version, the locators and the header CRC.
// checkCrc false passes over every CRC (see DecodeOptions).
FileLayout ReadFileHeader(const std::uint8_t* file, std::size_t size, bool checkCrc);
// The data of a sentinel-framed section, after checking sentinels, size and
// CRC (`highSize`: R2018's size with a high part).
std::pair<const std::uint8_t*, std::size_t> FramedSectionData(const std::uint8_t* file, std::size_t size,
                                                              const SectionLocator& loc,
                                                              const std::uint8_t (&begin)[16],
                                                              const std::uint8_t (&end)[16], const char* what,
                                                              bool checkCrc, bool highSize = false);
// `highSize`: the section's size has a high part (maintenance versions above 3).

// A class of the classes section: its DXF name, and whether its objects
// are entities (item class 0x1F2) or other objects (0x1F3).
struct DwgClass {
    std::string dxf;
    bool entity = false;
};
std::vector<DwgClass> ReadClassNames(const std::uint8_t* data, std::size_t size, Release release = Release::R2000);
// `objectsEnd`: the bound of the addresses (0: the file's size).
std::vector<ObjectLocation> ReadObjectMap(const std::uint8_t* file, std::size_t size, const SectionLocator& loc,
                                         bool checkCrc, std::size_t objectsEnd = 0);

} // namespace ostrel::cad::dwg
