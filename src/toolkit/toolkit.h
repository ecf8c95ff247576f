#pragma once
// The drawing toolkit facade: the operation names the conversion calls, over
// our own drawing database (cad/). Its objects fill one plain entity value
// and AppendEntity moves it into the database.
//
// Statuses: 0 is success. Expected misses (a name not found, a block that
// cannot be opened) are reported through LastStatus / BlockStatus /
// AddLayerStatus / ObjectStatus. An operation handed something it cannot
// work with at all (an unknown drawing, an unknown kind code, a malformed
// handle text) throws ConversionError with ErrorCode::Toolkit.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "cad/drawing.h"
#include "ostrel/errors.h"

namespace ostrel {

using DrawingId = std::int32_t;   // 0 = no drawing
using EntityList = std::uint32_t; // a block's entity list (block index)

// Status codes.
enum ToolkitStatus : std::int16_t {
    kStatusOk = 0,
    kStatusNotFound = 1,
    kStatusCannotOpen = 2,
    kStatusDuplicate = 3,
    kStatusBadValue = 4,
    kStatusNoDrawing = 5,
    kStatusUnsupportedRelease = 10,
    kStatusWriteFailed = 11,
    kStatusInitFailed = 20,
};

// Header setting codes.
enum HeaderSetting : std::int16_t {
    kHeaderExtMax = 9,
    kHeaderExtMin = 10,
    kHeaderCodePage = 33,
    kHeaderPStyleMode = 35,
};

// Entity kind codes.
enum EntityKind : std::int16_t {
    kKindPoint = 2, kKindCircle = 3, kKindText = 7, kKindBlockBegin = 12, kKindBlockEnd = 13,
    kKindInsert = 14, kKindSeqEnd = 17, kKindPolyline = 19, kKindVertex = 20, kKindFace = 22,
};

// Object kind codes.
enum ObjectKind : std::int16_t {
    kObjectDictionary = 32,
    kObjectDictionaryWithDefault = 33,
    kObjectPlaceholder = 34,   // plot-style name
    kObjectXRecord = 35,
    kObjectLayout = 500,
    kObjectMLineStyle = 501,
    kObjectGroup = 502,
    kObjectPlotSettings = 503,
    kObjectDictionaryVar = 504,
    kObjectRasterVariables = 505,
    kObjectSortentsTable = 506,
    kObjectScale = 507,
    kObjectMLeaderStyle = 508,
    kObjectTableStyle = 509,
    kObjectMaterial = 510,
    kObjectVisualStyle = 511,
};

// Release codes for SaveDrawingFile: 0 = default (R2000), 12, 13, 14, 2000,
// 2004, 2007, 2010, 2013, 2018. File type: 0 DWG, 1 DXF.
struct ReleaseChoice {
    bool ok = false;
    cad::Release release = cad::Release::R2000;
};
ReleaseChoice ReleaseForCode(std::int16_t code);

// Writes a drawing to a file of the given type and release: the codecs'
// entry point, swappable for tests. Throws cad::CadError with a readable text.
using DrawingWriter = void (*)(cad::Drawing& d, const std::string& path, bool dwg, cad::Release release);
void WriteDrawingFile(cad::Drawing& d, const std::string& path, bool dwg, cad::Release release);

// ------------------------------------------------------- drawing database
class CadDatabase {
public:
    DrawingId CreateNewDrawing(std::int16_t code);
    std::int16_t CodePageFromName(const std::string& name) const;   // "ansi_1252" -> 30
    std::int16_t DrawingStatus() const { return drawingStatus_; }
    std::string StatusText(std::int16_t status) const;

    cad::Drawing& Get(DrawingId id);           // throws for an unknown id
    cad::Drawing* Find(DrawingId id);          // null for an unknown id
    // Lends a drawing out (the id then finds nothing) and takes it back.
    std::unique_ptr<cad::Drawing> Lend(DrawingId id);
    void Return(DrawingId id, std::unique_ptr<cad::Drawing> drawing);

    // Text for the last failed status (set by the library's save).
    void SetStatusDetail(std::int16_t status, std::string text);

private:
    std::map<DrawingId, std::unique_ptr<cad::Drawing>> drawings_;
    DrawingId next_ = 1;
    std::int16_t drawingStatus_ = 0;
    std::map<std::int16_t, std::string> detail_;
};

// ------------------------------------------------------- main library object
class CadLibrary {
public:
    explicit CadLibrary(CadDatabase& db) : db_(db) {}
    virtual ~CadLibrary() = default;

    virtual std::int16_t InitLibrary();
    std::string NewHandle(DrawingId drawing);
    std::int16_t LastStatus() const { return lastStatus_; }
    std::string FindBlockByName(DrawingId drawing, std::string_view name);
    std::string FindLayerByName(DrawingId drawing, std::string_view name);
    // Saves the drawing; fileType 0 DWG, 1 DXF; a failure is read with LastStatus.
    virtual void SaveDrawingFile(DrawingId drawing, const std::string& path, std::uint8_t fileType,
                                 std::int16_t versionCode, std::int16_t a, std::int16_t b, std::int16_t c,
                                 std::int16_t d);

    CadDatabase& database() { return db_; }
    void SetWriter(DrawingWriter w) { writer_ = w; }

protected:
    CadDatabase& db_;
    std::int16_t lastStatus_ = 0;
    DrawingWriter writer_ = &WriteDrawingFile;

private:
    // The block found last by name (a conversion asks for its model space
    // once per record), taken again while the block at that index bears the
    // name asked for (names are unique) and the handle its text spells.
    struct FoundBlock {
        std::string handleText;
        std::uint32_t index = cad::kNone;
        cad::Handle handle = 0;
    } lastBlock_;
};

// ------------------------------------------------------- drawing header
class DrawingHeader {
public:
    void ReadHeader(CadDatabase& db, DrawingId drawing);
    void WriteHeader(CadDatabase& db, DrawingId drawing);
    void SetHeaderByte(std::int16_t setting, std::uint8_t value);
    void SetHeaderShort(std::int16_t setting, std::int16_t value);
    void SetHeaderPointCoord(std::int16_t setting, std::int16_t axis, double value);
    const cad::HeaderVars& vars() const { return vars_; }

private:
    cad::HeaderVars vars_;
    bool read_ = false;
};

// ------------------------------------------------------- object-kind registries
class KindRegistry {
public:
    explicit KindRegistry(int which) : which_(which) {}
    // getter: 0-based number of the getter on this registry.
    std::int16_t GetObjectKindCode(CadDatabase& db, DrawingId drawing, int getter) const;

private:
    int which_;
};

// ------------------------------------------------------- kind data objects
// Each holds the geometry of one entity kind.
struct KindData {
    cad::EntityType type = cad::EntityType::Point;
    cad::EntityGeom geom{};
    std::string text;                 // TEXT string, BLOCK name
};

class BlockBeginData : public KindData {
public:
    void InitBlockBegin(DrawingId);
    void SetBlockBeginName(const std::string& name) { text = name; }
    const KindData* GetBlockBeginData() const { return this; }
};

class PointData : public KindData {
public:
    void InitPoint(DrawingId);
    void SetPointCoord(std::int16_t axis, double v);
    const KindData* GetPointData() const { return this; }
};

class InsertData : public KindData {
public:
    void InitInsert(DrawingId);
    void SetInsertBlock(const std::string& blockHandle) { blockHandle_ = blockHandle; }
    void SetInsertCoord(std::int16_t axis, double v);
    double GetInsertCoord(std::int16_t axis) const;
    void SetInsertXScale(double v) { geom.insert.xScale = v; }
    void SetInsertYScale(double v) { geom.insert.yScale = v; }
    void SetInsertRotation(double v) { geom.insert.rotation = v; }
    void SetInsertColumns(std::int16_t v) { geom.insert.columns = v; }
    void SetInsertRows(std::int16_t v) { geom.insert.rows = v; }
    const KindData* GetInsertData() const { return this; }
    const std::string& blockHandle() const { return blockHandle_; }

private:
    std::string blockHandle_;
};

class TextData : public KindData {
public:
    void InitText(DrawingId);
    void SetTextCoord(std::int16_t axis, double v);
    void SetTextHeight(double v) { geom.text.height = v; }
    void SetTextString(const std::string& s) { text = s; }
    void SetTextRotation(double v) { geom.text.rotation = v; }
    const KindData* GetTextData() const { return this; }
};

class CircleData : public KindData {
public:
    void InitCircle(DrawingId);
    void SetCircleCoord(std::int16_t axis, double v);
    void SetCircleRadius(double v) { geom.circle.radius = v; }
    const KindData* GetCircleData() const { return this; }
};

class PolylineData : public KindData {
public:
    void InitPolyline(DrawingId);
    void SetPolylineFlags(std::int16_t f) { geom.polyline.flags = f; }
    void SetPolylineStartWidth(double v) { geom.polyline.startWidth = v; }
    void SetPolylineEndWidth(double v) { geom.polyline.endWidth = v; }
    const KindData* GetPolylineData() const { return this; }
};

class VertexData : public KindData {
public:
    void InitVertex(DrawingId);
    void SetVertexCoord(std::int16_t axis, double v);
    void SetVertexFlags(std::int16_t f) { geom.vertex.flags = f; }
    void SetVertexStartWidth(double v) { geom.vertex.startWidth = v; }
    void SetVertexEndWidth(double v) { geom.vertex.endWidth = v; }
    void SetVertexStartWidthFlag(std::int16_t f);
    void SetVertexEndWidthFlag(std::int16_t f);
    const KindData* GetVertexData() const { return this; }
};

class FaceData : public KindData {
public:
    void InitFace(DrawingId);
    void SetFaceCorner1(std::int16_t axis, double v) { Set(0, axis, v); }
    void SetFaceCorner2(std::int16_t axis, double v) { Set(1, axis, v); }
    void SetFaceCorner3(std::int16_t axis, double v) { Set(2, axis, v); }
    void SetFaceCorner4(std::int16_t axis, double v) { Set(3, axis, v); }
    double GetFaceCorner3(std::int16_t axis) const;
    const KindData* GetFaceData() const { return this; }

private:
    void Set(int corner, std::int16_t axis, double v);
};

// ------------------------------------------------------- block writer
class BlockWriter {
public:
    explicit BlockWriter(CadDatabase& db) : db_(db) {}
    void ResetBlockRecord();
    void SetBlockName(const std::string& name) { name_ = name; }
    void SetBlockHandle(const std::string& handle) { handle_ = handle; }
    void AddBlockRecord(DrawingId drawing);        // status: BlockStatus
    std::string GetBlockEntityList() const { return handle_; }   // the added block, by handle
    void OpenBlockForAppend(DrawingId drawing, const std::string& blockHandle);
    std::int16_t BlockStatus() const { return status_; }
    EntityList GetEntityList() const { return open_; }

private:
    CadDatabase& db_;
    std::string name_, handle_;
    EntityList open_ = cad::kNone;
    std::int16_t status_ = 0;
    // The handle text last opened and its block's handle, taken again while
    // the open block still has that handle.
    std::string openText_;
    cad::Handle openHandle_ = 0;
};

// ------------------------------------------------------- entity header
class EntityHeader {
public:
    explicit EntityHeader(CadDatabase& db) : db_(db) {}
    void SetEntityKind(std::int16_t kind);
    void InitEntityDefaults(DrawingId drawing);
    void SetEntityHandle(const std::string& handle);
    void SetEntityLayer(const std::string& layerHandle);
    void SetEntityColour(std::int16_t colour);
    void SetEntityLinetype(const std::string& linetypeHandle);
    // Appends the entity with the kind data (null for block ends and sequence ends).
    void AppendEntity(DrawingId drawing, EntityList list, const KindData* data);

    const cad::Entity& entity() const { return entity_; }

private:
    CadDatabase& db_;
    cad::Entity entity_;
    std::int16_t kind_ = 0;
    std::string layerHandle_, linetypeHandle_;
    // Where each layer and linetype handle stands in its table, filled as
    // the tables grow (the first record with a handle, as a search from the
    // start finds it).
    struct HandleIndex {
        std::unordered_map<cad::Handle, std::uint32_t> at;
        std::uint32_t indexed = 0;   // records entered so far
        // The handle text resolved last (records mostly repeat it), valid
        // while the table keeps its size and the record its handle.
        std::string lastText;
        cad::Handle lastHandle = 0;
        std::uint32_t lastIndex = cad::kNone;
        std::size_t lastTableSize = 0;
    };
    HandleIndex layerIndex_, linetypeIndex_;
};

// ------------------------------------------------------- layer record
class LayerRecord {
public:
    explicit LayerRecord(CadDatabase& db) : db_(db) {}
    void InitLayer(DrawingId drawing);
    void SetLayerName(const std::string& name) { layer_.name = name; }
    std::string GetLayerName() const { return layer_.name; }
    void SetLayerHandle(const std::string& handle);
    void SetLayerColour(std::int16_t colour) { colour_ = colour; }
    void SetLayerLinetype(const std::string& handle) { linetypeHandle_ = handle; }
    void SetLayerPlotStyle(const std::string& handle) { plotStyleHandle_ = handle; }
    void AddLayer(DrawingId drawing);
    std::int16_t AddLayerStatus() const { return status_; }

private:
    CadDatabase& db_;
    cad::Layer layer_;
    std::int16_t colour_ = 7;
    std::string linetypeHandle_, plotStyleHandle_;
    std::int16_t status_ = 0;
};

// ------------------------------------------------------- linetype record
class LinetypeRecord {
public:
    explicit LinetypeRecord(CadDatabase& db) : db_(db) {}
    void ResetLinetype();
    void SetLinetypeHandle(const std::string& handle);
    void SetLinetypeName(const std::string& name) { lt_.name = name; }
    std::string GetLinetypeName() const { return lt_.name; }
    void SetLinetypeText(const std::string& text) { lt_.description = text; }
    void SetLinetypeAlignment(std::uint8_t a) { lt_.alignment = a; }
    void SetDashCount(std::int16_t n);
    void SetPatternLength(double v) { lt_.patternLength = v; }
    void SetDashLength(std::int16_t index, double v);
    void AddLinetype(DrawingId drawing);

private:
    CadDatabase& db_;
    cad::Linetype lt_;
};

// ------------------------------------------------------- non-graphic objects
class ObjectHeader;

// A cursor over a dictionary's entries.
class EntryList {
public:
    void OpenEntryList() { index_ = 0; }
    void LoadEntry(std::int32_t index);
    std::string GetEntryName() const { return current_.name; }
    std::string GetEntryHandle() const { return cad::HandleText(current_.target); }
    void ExtendEntryList();
    void SetEntryHandle(const std::string& handle);
    void SetEntryName(const std::string& name) { current_.name = name; }
    void StoreEntry();
    void SetEntryListCursor() {}
    void CloseEntryList() { index_ = -1; }

private:
    friend class DictionaryData;
    std::vector<cad::DictEntry>* entries_ = nullptr;
    cad::DictEntry current_;
    std::int32_t index_ = -1;
    bool extending_ = false;
};

class DictionaryData {
public:
    void AttachDictionary(ObjectHeader& header);
    EntryList& GetDictionaryEntries();
    std::int32_t GetDictionaryCount() const;
    // The plot-style dictionary view of the same data.
    std::int32_t GetPlotStyleCount() const { return GetDictionaryCount(); }
    void SetPlotStyleCount(std::int32_t) {}   // the count follows the entries
    const DictionaryData* GetPlotStyleDictionaryData() const { return this; }
    const DictionaryData* GetDictionaryData() const { return this; }

private:
    friend class ObjectHeader;
    cad::Object obj_;
    EntryList entries_;
};

class PlotStyleNameData {
public:
    void InitPlotStyleName(DrawingId) {}
    const PlotStyleNameData* GetPlotStyleNameData() const { return this; }
};

class ObjectHeader {
public:
    explicit ObjectHeader(CadDatabase& db) : db_(db) {}
    void OpenRootDictionary(DrawingId drawing);
    std::int16_t ObjectStatus() const { return status_; }
    void ReadObject(DrawingId drawing);
    void ReadObjectByHandle(DrawingId drawing, const std::string& handle);
    std::int16_t GetObjectKind() const { return kind_; }
    void SetObjectKind(std::int16_t kind) { kind_ = kind; }
    void InitObjectDefaults(DrawingId drawing);
    void SetObjectHandle(const std::string& handle);
    // Adds a plot-style name object owned by the dictionary last attached.
    void AddObject(DrawingId drawing, const PlotStyleNameData* data);
    void UpdateObject(DrawingId drawing, const DictionaryData* data);

    void SetOwnerForNext(cad::Handle owner) { pendingOwner_ = owner; }

private:
    friend class DictionaryData;
    CadDatabase& db_;
    cad::Handle handle_ = 0;
    cad::Handle pendingOwner_ = 0;
    std::int16_t kind_ = 0;
    std::int16_t status_ = 0;
    cad::Object loaded_;
};

} // namespace ostrel
