#pragma once
// The named sections of a DWG of R2004 and later, made from a drawing: what
// both page containers (the R2004 family's and R2007's) lay out in the file.
#include <vector>

#include "cad/drawing.h"
#include "cad/dwg/dwg_named_section.h"

namespace ostrel::cad::dwg {

// The sections in the order they go into the file: AcDb:SummaryInfo,
// AcDb:Preview, AcDb:AppInfo, AcDb:AcDbObjects, AcDb:ObjFreeSpace, AcDb:Template,
// AcDb:Handles, AcDb:Classes, AcDb:AuxHeader, AcDb:Header. The drawing must
// be normalised (NormalizeForSave). Throws CadError for a release without
// named sections (before R2004) and on references the format cannot hold.
std::vector<NamedSection> EncodeNamedSections(const Drawing& d, Release release);

// Whether a file's header and classes sections give their size a high part:
// from R2018, and in R2010 and R2013 files of maintenance release 4 and later.
bool SectionSizeHasHighPart(Release release, std::uint8_t maintenance);

} // namespace ostrel::cad::dwg
