#pragma once
// The R2007 (AC1021) file container: the 0x80-byte meta data, the
// Reed-Solomon coded file header (at 0x80, repeated at the end of the file),
// the page map and the section map (system pages: compressed, repeated to fill
// their page, coded (255, 239) interleaved) and the data pages of the named
// sections (compressed where the section asks and it pays, coded (255, 251):
// interleaved for compressed sections, plain otherwise), with every CRC-64
// and checksum the format keeps.
//
// File order: meta data, file header, page map and its copy, the data pages,
// the section map and its copy, the file header again.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "cad/dwg/dwg_named_section.h"

namespace ostrel::cad::dwg::r2007 {

// The few values of the meta data that are not derived from the layout.
struct FileFacts {
    std::uint8_t maintenanceVersion = 0;  // 0x0B
    std::uint8_t zeroOneOrThree = 3;      // 0x0C
    std::uint8_t writerVersion = 0x1B;    // 0x11: the release that wrote the file (AC1021)
    std::uint8_t writerMaintenance = 0;   // 0x12
    std::uint16_t codePage = 30;          // 0x13: ANSI_1252
};

// Lays the sections out as a whole AC1021 file. Sections are written in the
// order the format keeps them; a section's `compressed` flag chooses the
// compressed, interleaved storage (otherwise plain pages, as the format keeps
// AcDb:SummaryInfo, AcDb:Preview, AcDb:AppInfo, ...). The format's encryption
// is not described, so sections are always written in the clear.
std::vector<std::uint8_t> WriteContainer(const std::vector<NamedSection>& sections, const FileFacts& facts = {});

struct Container {
    FileFacts facts;
    std::vector<NamedSection> sections;  // in section-map order
    long correctedBytes = 0;             // bytes the Reed-Solomon codes repaired
};

// Reads an AC1021 file image back into its sections. Throws CadError on a
// file it cannot read: truncated, damaged beyond what the codes repair, a
// check sum or CRC that does not match, a page or section map that does not
// fit the file.
Container ReadContainer(const std::uint8_t* file, std::size_t size);

} // namespace ostrel::cad::dwg::r2007
