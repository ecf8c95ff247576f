// The save of a conversion whose export asked for a title block: the sheet
// pass works on the drawing the conversion holds, instead of writing it,
// reading the file back and writing it again.
#include <exception>
#include <string>
#include <vector>

#include "cad/drawing.h"
#include "cad/dwg/dwg_writer.h"
#include "run/run.h"
#include "run/settings.h"
#include "trim/frmDWGTrim.h"
#include "trim/vd_document.h"

namespace ostrel {

bool ConversionRun::SaveWithSheet(const std::string& strOUT) {
    // Hosts and tests that replace the toolkit, the pass or watch the save
    // get the steps one after the other.
    if (trimHandOff || beforeSave || makeLibrary || DrawingHandle == 0 || !(dblScale > 0)) return false;
    const bool dwg = trim::IsDwgPath(strOUT);
    const auto choice = ReleaseForCode(SettingsNumber(GetINIValue("EXPORT", dwg ? "DWGVersion" : "DXFVersion")));
    // A save that is bound to fail reports itself through the plain save.
    if (!choice.ok || (dwg && !cad::DwgWrites(choice.release))) return false;
    auto drawing = tk->database.Lend(DrawingHandle);
    if (!drawing) return false;
    // Written as the plain save would write it (EXPORT/LWPOLYLINE).
    drawing->lightweightPolylines = GetINIValue("EXPORT", "LWPOLYLINE") == "1";

    bool saved = false;
    try {
        // The pass decides on the layer names the conversion gave, as it
        // does on a file read back (where a release may have changed them).
        std::vector<std::string> layerNames;
        for (const auto& layer : drawing->layers) layerNames.push_back(layer.name);
        // What the pass would read back from the file the conversion writes.
        cad::AsReadBack(*drawing, choice.release, dwg);
        // Load and show the form (its window, if the host has one), call
        // TrimDWG, unload it.
        FormWindowCalls window(formWindow.get());
        frmDWGTrim form(host_.progress.get(), &window);
        form.LayerNamesGiven(std::move(layerNames));
        form.DrawingNormalised();
        saved = form.TrimDWG(drawing, strOUT, dblScale, dblRotation);
    } catch (...) {
        // Errors of the trim pass are swallowed: the converted drawing is
        // saved as it would have been without the pass.
    }
    tk->database.Return(DrawingHandle, std::move(drawing));
    if (!saved) SaveDrawing(strOUT);
    return true;
}

} // namespace ostrel
