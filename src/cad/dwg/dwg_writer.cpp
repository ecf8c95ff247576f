#include "cad/dwg/dwg_writer.h"

#include "cad/atomic_file.h"
#include "cad/dwg/dwg_encoder.h"

namespace ostrel::cad {

void SaveDwg(Drawing& d, Release release, const std::string& path) {
    if (release != Release::R2000)
        throw CadError(std::string("DWG ") + ReleaseName(release) +
                       " cannot be written; DWG is written as R2000 (release code 0 or 2000)");
    NormalizeForSave(d);
    const auto bytes = dwg::EncodeDwg(d);
    AtomicFile file(path);
    file.Write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    file.Commit();
}

} // namespace ostrel::cad
