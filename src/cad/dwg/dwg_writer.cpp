#include "cad/dwg/dwg_writer.h"

#include <optional>

#include "cad/atomic_file.h"
#include "cad/dwg/dwg_encoder.h"

namespace ostrel::cad {

void SaveDwg(Drawing& d, Release release, const std::string& path) {
    if (release != Release::R2000)
        throw CadError(std::string("DWG ") + ReleaseName(release) +
                       " cannot be written; DWG is written as R2000 (release code 0 or 2000)");
    NormalizeForSave(d);
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
    dwg::EncodeDwg(d, sink);
    file->Commit();
}

} // namespace ostrel::cad
