// One plot-style name object per layer, entered in ACAD_PLOTSTYLENAME.
#include "tables/plot_style_names.h"

namespace ostrel {

namespace {

constexpr const char* kPlotStyleDictionary = "ACAD_PLOTSTYLENAME";
constexpr const char* kPlotStyleSuffix = "PSTYLE";

// Creates the plot-style name object and enters it in the plot-style
// dictionary read into styleHeader. Returns the new object's handle.
std::string EnterPlotStyleName(CadLibrary& library, DrawingId drawing, std::int16_t plotStyleNameKind,
                               const std::string& layerName, ObjectHeader& objectHeader,
                               ObjectHeader& styleHeader) {
    DictionaryData styles;
    styles.AttachDictionary(styleHeader);

    PlotStyleNameData name;
    name.InitPlotStyleName(drawing);
    objectHeader.SetObjectKind(plotStyleNameKind);
    objectHeader.InitObjectDefaults(drawing);
    std::string handle = library.NewHandle(drawing);
    objectHeader.SetObjectHandle(handle);
    objectHeader.AddObject(drawing, name.GetPlotStyleNameData());

    EntryList& entries = styles.GetDictionaryEntries();
    entries.ExtendEntryList();
    entries.SetEntryHandle(handle);
    entries.SetEntryName(layerName + kPlotStyleSuffix);
    entries.StoreEntry();
    entries.SetEntryListCursor();
    styles.SetPlotStyleCount(styles.GetPlotStyleCount() + 1);
    styleHeader.UpdateObject(drawing, styles.GetPlotStyleDictionaryData());
    return handle;
}

} // namespace

std::string AddPlotStyleName(CadLibrary& library, DrawingId drawing, std::int16_t plotStyleNameKind,
                             const std::string& layerName) {
    CadDatabase& db = library.database();
    ObjectHeader objectHeader(db);   // the root dictionary, then the new object
    ObjectHeader styleHeader(db);    // the plot-style dictionary

    objectHeader.OpenRootDictionary(drawing);
    if (objectHeader.ObjectStatus() != kStatusOk) return {};
    objectHeader.ReadObject(drawing);
    if (objectHeader.ObjectStatus() != kStatusOk) return {};
    if (objectHeader.GetObjectKind() != kObjectDictionary) return {};

    DictionaryData root;
    root.AttachDictionary(objectHeader);
    EntryList& entries = root.GetDictionaryEntries();
    entries.OpenEntryList();

    std::string handle;
    bool found = false;
    for (std::int32_t index = 0; index < root.GetDictionaryCount() && !found;) {
        entries.LoadEntry(index);
        if (entries.GetEntryName() != kPlotStyleDictionary) {
            ++index;
            continue;
        }
        found = true;
        styleHeader.ReadObjectByHandle(drawing, entries.GetEntryHandle());
        if (styleHeader.ObjectStatus() == kStatusOk)
            handle = EnterPlotStyleName(library, drawing, plotStyleNameKind, layerName, objectHeader, styleHeader);
    }

    entries.CloseEntryList();
    DrawingHeader header;
    header.ReadHeader(db, drawing);
    header.SetHeaderByte(kHeaderPStyleMode, 0);
    header.WriteHeader(db, drawing);
    return handle;
}

} // namespace ostrel
