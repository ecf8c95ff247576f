// The DWG reader on any bytes: a reader error or a drawing, nothing else.
// Built twice: with the CRC checks, and without them
// (OSTREL_FUZZ_SKIP_CRC), so that changed bytes reach the decoders behind.
#include <cstddef>
#include <cstdint>

#include "cad/drawing.h"
#include "cad/dwg/dwg_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ostrel::cad::dwg::DecodeOptions options;
#ifdef OSTREL_FUZZ_SKIP_CRC
    options.checkCrc = false;
#endif
    try {
        ostrel::cad::dwg::DecodeDwg(data, size, options);
    } catch (const ostrel::cad::CadError&) {
    }
    return 0;
}
