#pragma once
// The state and operations of one conversion instance. clsDWG owns one.
// Each record handler is a member defined in the file of its own area
// (tables/, geometry/, run/); the order of steps is in driver/.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "run/form_window.h"
#include "run/record_drops.h"
#include "run/run_types.h"
#include "toolkit/toolkit.h"
#include "ostrel/host.h"

namespace ostrel {

namespace platform {
class PrefaultAhead;
}

// Hashing of std::string keys usable with a std::string_view (no string
// built for a lookup).
struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const noexcept { return std::hash<std::string_view>{}(s); }
};

class ExportFile;

// The toolkit objects of one call, created anew by every SaveAsDWG.
struct Toolkit {
    explicit Toolkit(std::unique_ptr<CadLibrary> (*makeLibrary)(CadDatabase&) = nullptr);
    CadDatabase database;
    std::unique_ptr<CadLibrary> library;
    KindRegistry kinds1{0}, kinds2{1};
    // Reused for every entity of the call.
    BlockWriter blockWriter{database};
    BlockWriter symbolBlockWriter{database};
    EntityHeader header{database};
    BlockBeginData blockBeginData;
    PointData pointData;
    InsertData insertData;
    TextData textData;
    CircleData circleData;
    PolylineData polylineData;
    VertexData vertexData;
    FaceData faceData;
    LayerRecord layerRecord{database};
    LinetypeRecord linetypeRecord{database};
    // The names of the style file's lines, once the file was read in this call.
    std::optional<std::vector<std::string>> styleFileNames;
};

class ConversionRun {
public:
    explicit ConversionRun(HostOptions host);

    // Construction of clsDWG: reads the settings.
    void Construct();
    void SaveAsDWG(const std::string& strIN, const std::string& strOUT);

    Prompter& prompter() { return *host_.prompter; }
    const HostOptions& host() const { return host_; }

    // ------------------------------------------------ settings (per instance)
    std::string UserSettingsFile;
    bool ByEntity = false;
    std::int16_t LayerStyle = 0;

    // ------------------------------------------------ run state
    std::unique_ptr<Toolkit> tk;
    DrawingId DrawingHandle = 0;
    std::array<std::int16_t, 11> ObjectKinds{};
    std::int16_t PlotStyleNameKind = 0;
    Extents DrawingExtents;
    Polygon TrimPolygon, BoundaryPolygon;   // carried over between calls
    bool TitleBlockMode = false;
    bool HasHeader = false;
    double dblScale = 0, dblRotation = 0;
    std::int16_t LayerWildcardCount = -1;   // -1: not loaded
    std::vector<std::string> LayerWildcards;
    // What the settings gave for a layer name and a colour code in this
    // call: the settings are fixed for the call, and a survey repeats the
    // same few dozen names and codes over millions of records.
    struct LayerMapping {
        bool mapped = false;
        std::string name;
    };
    std::unordered_map<std::string, LayerMapping, TextHash, std::equal_to<>> LayerMappings;
    std::unordered_map<std::int32_t, std::int32_t> ColourIndexes;
    std::uint64_t RememberedUnder = 0;  // settings generation of the two above
    void ForgetStaleSettings();         // empties them when the settings may have changed
    std::int16_t LinetypeCounter = 0;       // instance-wide, never reset by SaveAsDWG

    // ------------------------------------------------ hooks for tests and hosts
    // Makes the main toolkit object (a fake in the driver's tests).
    std::unique_ptr<CadLibrary> (*makeLibrary)(CadDatabase&) = nullptr;
    // The trim hand-off; the default loads frmDWGTrim and calls TrimDWG.
    std::function<void(const std::string& strOUT, double scale, double rotation)> trimHandOff;
    // Called with the drawing just before it is saved (tests inspect it).
    std::function<void(cad::Drawing&)> beforeSave;
    // The trim form's window (the COM host's); null: the pass shows nothing.
    std::shared_ptr<FormWindow> formWindow;

    // ------------------------------------------------ drawing file lifecycle
    void CreateDrawing();
    void ReadObjectKinds();
    void UpdateExtents(double x, double y);
    void WriteExtents();
    void SaveDrawing(const std::string& path);
    // The save when the export asked for a title block: the sheet pass runs on
    // the drawing in memory and writes it once, with its sheet; when the pass
    // ends early or fails, the drawing is saved as converted. False when this
    // run takes the steps one after the other (save, then the pass on the
    // file): nothing was done then.
    bool SaveWithSheet(const std::string& strOUT);

    // ------------------------------------------------ trim-frame records
    void ReadTrimRecord(std::string_view line);
    void ScanBoundary(ExportFile& file);

    // ------------------------------------------------ layers, colours, linetypes
    bool MapLayerName(std::string& name);          // true when a mapping matched
    bool MapLayerNameFromSettings(std::string& name);
    void LoadLayerWildcards();
    void MakeLayer(std::string& name, std::int32_t colourCode, std::int16_t reserved, std::int32_t linetypeCode,
                   std::int16_t styleLine);
    // The layer resolution every handler follows on tk->header.
    void ResolveEntityLayer(std::string& name, std::int32_t colourCode, std::int32_t linetypeCode,
                            std::int16_t styleLine);
    std::int32_t LookupColour(std::int32_t code);
    std::int32_t LookupColourInSettings(std::int32_t code);
    void ApplyEntityStyle(EntityHeader& header, std::int32_t colourCode, std::int32_t linetypeCode,
                          std::int16_t styleLine);
    std::string StyleFileLinetypeName(std::int16_t styleLine);
    std::string MakeLinetype(std::int32_t linetypeCode, std::int16_t styleLine);

    // ------------------------------------------------ record handlers
    void LoadSymbolLibrary(ExportFile& file);
    void AddPointRecord(std::string_view line);
    void AddSymbolRecord(std::string_view line);
    void AddTextRecord(std::string_view line, bool is3D);
    void AddCircleRecord(std::string_view line);
    // line receives each continuation record taken and is empty on return.
    void AddPolylineRecord(std::string_view& line, ExportFile& file, bool is3D);
    std::string_view ReadContinuation(ExportFile& file, std::string_view line, const Point3D& lastVertex);
    void AddTriangleRecord(std::string_view line);
    // Buffers of AddPolylineRecord, kept between records so that a record
    // allocates nothing once they have grown.
    std::vector<Point3D> PolylineVertices, PolylinePieces;
    std::string PolylineLayer;
    // Buffers of the point, symbol, text and circle handlers (the layer name;
    // the text string or the symbol's block name) and of MapLayerName (the
    // settings key), kept between records for the same reason.
    std::string RecordLayer, RecordName, LayerKey;

    // The report's tally while a host asked for a report (else null), and the
    // line number of the record being handled (kept only then).
    RecordTally* Tally = nullptr;
    std::int64_t RecordLine = 0;
    void Dropped(DropReason reason) {
        if (Tally) Tally->Drop(reason, RecordLine);
    }

    // Entity append helpers shared by the handlers: open "*Model_Space" for
    // appending; false when it cannot be found or opened.
    bool OpenModelSpace();

private:
    void Step3InitLibrary();
    void Convert(const std::string& strIN, const std::string& strOUT);
    // Convert's steps: the symbol file beside the export (5), the export's
    // records (6 to 9; false when it cannot be opened), the trim pass on the
    // file written (11).
    void LoadSymbolsBeside(const std::string& strIN);
    bool ReadExport(const std::string& strIN);
    void TrimWrittenFile(const std::string& strOUT);
    // Fills the host's report around Convert.
    void ConvertWithReport(const std::string& strIN, const std::string& strOUT, ConversionReport& report);
    // Reads the records; entities, when given, is the store whose pages the
    // prefaulter fills ahead of it.
    void RecordLoop(ExportFile& file, const std::vector<cad::Entity>* entities = nullptr,
                    platform::PrefaultAhead* prefault = nullptr);

    HostOptions host_;
};

// Removes the bracketed stretch of a layer name: text before the first "("
// followed by the text after the first ")", when both are present.
std::string StripBracketed(std::string_view name);

} // namespace ostrel
