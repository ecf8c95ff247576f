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
    // The file is opened with the first piece, once the whole drawing has
    // been encoded, so a drawing that cannot be encoded leaves no file behind.
    std::optional<AtomicFile> file;
    dwg::EncodeDwg(d, [&](const std::uint8_t* data, std::size_t size) {
        if (!file) file.emplace(path);
        file->Write(reinterpret_cast<const char*>(data), size);
    });
    if (!file) file.emplace(path);
    file->Commit();
}

} // namespace ostrel::cad
