// Layers of the drawing: made once per run by the first record that names
// them, and the layer resolution every record handler follows.
#include <string>

#include "run/run.h"
#include "tables/colour_index.h"
#include "tables/plot_style_names.h"

namespace ostrel {

void ConversionRun::MakeLayer(std::string& name, std::int32_t colourCode, std::int16_t /*reserved*/,
                              std::int32_t linetypeCode, std::int16_t styleLine) {
    if (name.empty()) name.assign(1, '0');   // (not = "0": GCC 12 warns falsely on that)
    const std::int16_t colourIndex = NarrowColourIndex(LookupColour(colourCode));
    if (DrawingHandle == 0) return;

    LayerRecord& layer = tk->layerRecord;
    layer.InitLayer(DrawingHandle);
    layer.SetLayerName(name);
    layer.SetLayerPlotStyle(AddPlotStyleName(*tk->library, DrawingHandle, PlotStyleNameKind, layer.GetLayerName()));
    layer.SetLayerHandle(tk->library->NewHandle(DrawingHandle));
    layer.SetLayerColour(colourIndex);
    if (linetypeCode > 0) layer.SetLayerLinetype(MakeLinetype(linetypeCode, styleLine));
    layer.AddLayer(DrawingHandle);
    if (layer.AddLayerStatus() != kStatusOk) prompter().ShowMessage("Failed to add layer.", MessageIcon::Exclamation);
}

void ConversionRun::ResolveEntityLayer(std::string& name, std::int32_t colourCode, std::int32_t linetypeCode,
                                       std::int16_t styleLine) {
    CadLibrary& library = *tk->library;
    std::string handle = library.FindLayerByName(DrawingHandle, name);
    if (library.LastStatus() != kStatusOk) {
        MakeLayer(name, colourCode, 0, linetypeCode, styleLine);
        handle = library.FindLayerByName(DrawingHandle, name);
    }
    if (library.LastStatus() == kStatusOk) tk->header.SetEntityLayer(handle);
}

} // namespace ostrel
