// The DXF reader on any bytes: a reader error or a drawing, nothing else.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "cad/drawing.h"
#include "cad/dxf/dxf_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        ostrel::cad::ReadDxfText(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const ostrel::cad::CadError&) {
    }
    return 0;
}
