#pragma once
// The page container of R2004, R2010, R2013 and R2018 files: a 0x100-byte
// file header whose middle part is encrypted, data pages of at most 0x7400
// bytes with masked 32-byte headers and checksums, a section map and a page
// map (system pages), and the header data repeated at the end.
#include <cstdint>
#include <vector>

#include "cad/drawing.h"
#include "cad/dwg/dwg_encoder.h"
#include "cad/dwg/dwg_named_section.h"

namespace ostrel::cad::dwg {

// Hands the file to the sink in file order (the sections' bytes where they
// lie, no copy) and patches its first 0x100 bytes last. `codePage` is the
// file header's code page number.
void WriteR2004Container(const std::vector<NamedSection>& sections, Release release, std::uint16_t codePage,
                         const DwgSink& sink);
// The whole file in memory.
std::vector<std::uint8_t> WriteR2004Container(const std::vector<NamedSection>& sections, Release release,
                                              std::uint16_t codePage);

struct R2004File {
    Release release = Release::R2004;
    std::uint16_t codePage = 0;
    std::uint8_t maintenance = 0;
    std::vector<NamedSection> sections;
    const NamedSection* Find(const char* name) const;
};

// Checks every checksum and bound; throws CadError saying what is damaged.
R2004File ReadR2004Container(const std::uint8_t* file, std::size_t size);

// The checksum of R2004 pages (a variant of Adler-32 run from a seed).
std::uint32_t PageChecksum(std::uint32_t seed, const std::uint8_t* data, std::size_t n);

} // namespace ostrel::cad::dwg
