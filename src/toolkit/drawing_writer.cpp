// The toolkit's save: picks the codec by file type.
#include "cad/dwg/dwg_writer.h"
#include "cad/dxf/dxf_writer.h"
#include "toolkit/toolkit.h"

namespace ostrel {

void WriteDrawingFile(cad::Drawing& d, const std::string& path, bool dwg, cad::Release release) {
    if (dwg) cad::SaveDwg(d, release, path);
    else cad::SaveDxf(d, release, path);
}

} // namespace ostrel
