#pragma once
// What each release has, said once: the version texts, how its DWG is laid
// out (container, string stream, object framing, hi-size fields, the
// maintenance versions written), which tables, sections and objects its files
// carry. Release decisions read these by name.
#include <cstdint>
#include <optional>
#include <string_view>

namespace ostrel::cad {

// Releases the writers know.
enum class Release : std::uint8_t { R12, R13, R14, R2000, R2004, R2007, R2010, R2013, R2018 };
const char* AcadVersionString(Release r);      // "AC1009", "AC1015", ...
std::optional<Release> ReleaseFromAcadVersion(std::string_view acadver);
const char* ReleaseName(Release r);            // "R12", "R2000", ...

// How a DWG of the release is laid out in the file.
enum class DwgContainer : std::uint8_t {
    None,           // no DWG of the release is written (R12 to R14)
    Located,        // R2000: a file header that locates each section
    R2004Pages,     // R2004, R2010, R2013, R2018: compressed pages, section and page maps
    R2007Pages,     // R2007: Reed-Solomon coded pages
};

struct ReleaseTraits {
    Release release;
    const char* acadVersion;        // "AC1015", ...
    const char* name;               // "R2000", ...

    // ---- DXF and the drawing
    bool classes;                   // a CLASSES section
    bool blockRecords;              // the BLOCK_RECORD table, subclass markers, owners (330)
    bool lightweightPolylines;      // LWPOLYLINE written where asked for
    bool classInstanceCounts;       // classes carry instance counts (DXF 91, DWG)

    // ---- DWG layout
    DwgContainer container;
    std::uint8_t writerRelease;     // the application release a file of it names (0x11, the aux header)
    std::uint8_t maintenance;       // file header 0x0B: the release's maintenance version
    std::uint8_t writerMaintenance; // file header 0x12: the writing application's
    bool stringStream;              // texts in a string stream at the end of the data (UTF-16)
    bool typeBitPair;               // object type 2-bit-prefixed, handle-stream size before the object
    bool vxTable;                   // VX records and the header's current VX handle
    bool sectionHiSize;             // header and classes sections give their size a high part (the
                                    // maintenance version written makes readers expect it)
    std::uint16_t auxHeaderTail;    // zero bytes that close the aux header after its save count
    bool auxHeaderLongMaintenance;  // the aux header's maintenance versions are longs, not shorts

    // ---- sections of the named-section containers
    bool revHistory;                // AcDb:RevHistory and AcDb:AppInfoHistory
    bool fileDepList;               // AcDb:FileDepList
};

const ReleaseTraits& Traits(Release release);

} // namespace ostrel::cad
