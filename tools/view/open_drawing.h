#pragma once
// Reads a drawing file with the library's own readers: DWG when the file
// begins with a release mark ("AC10..."), else DXF.
#include <memory>
#include <string>

#include "cad/drawing.h"

namespace ostrel::cli {

struct OpenedDrawing {
    std::unique_ptr<cad::Drawing> drawing;
    bool dwg = false;
};

// Throws cad::CadError (or std::runtime_error) when the file cannot be read.
OpenedDrawing OpenDrawing(const std::string& path);

// The layouts of a drawing in tab order: name and block record index.
struct LayoutRef {
    std::string name;
    std::uint32_t block = cad::kNone;
    const cad::LayoutData* data = nullptr;
};
std::vector<LayoutRef> LayoutsOf(const cad::Drawing& d);

} // namespace ostrel::cli
