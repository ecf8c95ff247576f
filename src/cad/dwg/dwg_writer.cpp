#include "cad/dwg/dwg_writer.h"

#include <optional>

#include "cad/atomic_file.h"
#include "cad/dwg/dwg_encoder.h"
#include "cad/dwg/dwg_format.h"
#include "cad/dwg/dwg_named_sections.h"
#include "cad/dwg/dwg_r2004_container.h"
#include "cad/dwg/r2007_container.h"
#include "cad/release_traits.h"

namespace ostrel::cad {

bool DwgWrites(Release release) { return Traits(release).container != DwgContainer::None; }

void SaveDwg(Drawing& d, Release release, const std::string& path) {
    // A release that cannot be written leaves the drawing as it was.
    if (DwgWrites(release)) NormalizeForSave(d);
    WriteDwg(d, release, path);
}

void WriteDwg(const Drawing& d, Release release, const std::string& path) {
    if (!DwgWrites(release))
        throw CadError(std::string("DWG ") + ReleaseName(release) +
                       " cannot be written; DWG is written as R2000, R2004, R2007, R2010, R2013 or R2018 "
                       "(release code 0, 2000, 2004, 2007, 2010, 2013 or 2018)");
    // The temporary file is opened with the first bytes; a drawing that
    // cannot be encoded leaves no file behind and the target as it was.
    std::optional<AtomicFile> file;
    dwg::DwgSink sink;
    sink.write = [&](const std::uint8_t* data, std::size_t size) {
        if (!file) file.emplace(path);
        file->Write(reinterpret_cast<const char*>(data), size);
    };
    sink.patch = [&](std::size_t offset, const std::uint8_t* data, std::size_t size) {
        file->WriteAt(offset, reinterpret_cast<const char*>(data), size);
    };
    const DwgContainer container = Traits(release).container;
    if (container == DwgContainer::R2007Pages) {
        auto sections = dwg::EncodeNamedSections(d, release);
        dwg::MakeWhole(sections);
        dwg::r2007::FileFacts facts;
        facts.codePage = dwg::CodePageNumber(d.header.codePage);
        facts.maintenanceVersion = Traits(release).maintenance;
        facts.writerVersion = Traits(release).writerRelease;
        facts.writerMaintenance = Traits(release).writerMaintenance;
        const auto bytes = dwg::r2007::WriteContainer(sections, facts);
        sink.write(bytes.data(), bytes.size());
    } else if (container == DwgContainer::R2004Pages) {
        // The objects are encoded as their pages are written; a drawing
        // that cannot be encoded leaves the target as it was all the same,
        // as the file is only put in its place by Commit.
        const auto sections = dwg::EncodeNamedSections(d, release);
        dwg::WriteR2004Container(sections, release, dwg::CodePageNumber(d.header.codePage), sink);
    } else {
        dwg::EncodeDwg(d, sink);
    }
    file->Commit();
}

} // namespace ostrel::cad
