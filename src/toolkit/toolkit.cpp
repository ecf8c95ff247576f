#include "toolkit/toolkit.h"

#include <cmath>

namespace ostrel {

namespace {

[[noreturn]] void Fail(const std::string& what) {
    throw ConversionError(ErrorCode::Toolkit, "Drawing toolkit: " + what);
}

cad::Handle RequireHandle(const std::string& text, const char* what) {
    auto h = cad::ParseHandle(text);
    if (!h) Fail(std::string("malformed ") + what + " handle '" + text + "'");
    return *h;
}

void CheckAxis(std::int16_t axis) {
    if (axis < 0 || axis > 2) Fail("coordinate axis " + std::to_string(axis) + " out of range");
}

double& Axis(cad::Vec3& v, std::int16_t axis) {
    CheckAxis(axis);
    return axis == 0 ? v.x : axis == 1 ? v.y : v.z;
}

} // namespace

ReleaseChoice ReleaseForCode(std::int16_t code) {
    using cad::Release;
    switch (code) {
    case 0: return {true, Release::R2000};
    case 12: return {true, Release::R12};
    case 13: return {true, Release::R13};
    case 14: return {true, Release::R14};
    case 2000: return {true, Release::R2000};
    case 2004: return {true, Release::R2004};
    case 2007: return {true, Release::R2007};
    case 2010: return {true, Release::R2010};
    case 2013: return {true, Release::R2013};
    case 2018: return {true, Release::R2018};
    default: return {};
    }
}

// ------------------------------------------------------- CadDatabase

DrawingId CadDatabase::CreateNewDrawing(std::int16_t code) {
    (void)code;  // one kind of new drawing: the empty R2000 drawing
    try {
        auto id = next_++;
        drawings_[id] = cad::NewDrawing();
        drawingStatus_ = kStatusOk;
        return id;
    } catch (const std::exception& e) {
        drawingStatus_ = kStatusNoDrawing;
        detail_[kStatusNoDrawing] = e.what();
        return 0;
    }
}

std::int16_t CadDatabase::CodePageFromName(const std::string& name) const {
    auto folded = cad::FoldName(name);
    if (folded == "ANSI_1252") return 30;
    if (folded == "ANSI_1250") return 28;
    if (folded == "ANSI_1251") return 29;
    if (folded == "UTF8" || folded == "UTF-8") return 0;
    return 30;
}

std::string CadDatabase::StatusText(std::int16_t status) const {
    auto it = detail_.find(status);
    if (it != detail_.end()) return it->second;
    switch (status) {
    case kStatusOk: return "No error";
    case kStatusNotFound: return "Not found";
    case kStatusCannotOpen: return "Cannot open";
    case kStatusDuplicate: return "Name already in use";
    case kStatusBadValue: return "Invalid value";
    case kStatusNoDrawing: return "No drawing";
    case kStatusUnsupportedRelease: return "Release not supported";
    case kStatusWriteFailed: return "Could not write the file";
    case kStatusInitFailed: return "Library initialisation failed";
    default: return "Status " + std::to_string(status);
    }
}

void CadDatabase::SetStatusDetail(std::int16_t status, std::string text) { detail_[status] = std::move(text); }

cad::Drawing& CadDatabase::Get(DrawingId id) {
    auto* d = Find(id);
    if (!d) Fail("no drawing " + std::to_string(id));
    return *d;
}

cad::Drawing* CadDatabase::Find(DrawingId id) {
    auto it = drawings_.find(id);
    return it == drawings_.end() ? nullptr : it->second.get();
}

std::unique_ptr<cad::Drawing> CadDatabase::Lend(DrawingId id) {
    auto it = drawings_.find(id);
    if (it == drawings_.end()) return nullptr;
    auto d = std::move(it->second);
    drawings_.erase(it);
    return d;
}

void CadDatabase::Return(DrawingId id, std::unique_ptr<cad::Drawing> drawing) {
    if (drawing) drawings_[id] = std::move(drawing);
}

// ------------------------------------------------------- CadLibrary

std::int16_t CadLibrary::InitLibrary() {
    lastStatus_ = kStatusOk;
    return lastStatus_;
}

std::string CadLibrary::NewHandle(DrawingId drawing) {
    lastStatus_ = kStatusOk;
    return cad::HandleText(db_.Get(drawing).NewHandle());
}

std::string CadLibrary::FindBlockByName(DrawingId drawing, std::string_view name) {
    auto& d = db_.Get(drawing);
    auto& last = lastBlock_;
    // Names are unique: a block that bears exactly the name asked for is the one.
    if (last.index < d.blocks.size() && d.blocks[last.index].name == name && d.blocks[last.index].handle == last.handle) {
        lastStatus_ = kStatusOk;
        return last.handleText;
    }
    auto i = d.FindBlock(name);
    lastStatus_ = i == cad::kNone ? kStatusNotFound : kStatusOk;
    if (i == cad::kNone) return std::string();
    last.index = i;
    last.handle = d.blocks[i].handle;
    last.handleText = cad::HandleText(last.handle);
    return last.handleText;
}

std::string CadLibrary::FindLayerByName(DrawingId drawing, std::string_view name) {
    auto& d = db_.Get(drawing);
    auto i = d.FindLayer(name);
    lastStatus_ = i == cad::kNone ? kStatusNotFound : kStatusOk;
    return i == cad::kNone ? std::string() : cad::HandleText(d.layers[i].handle);
}

void CadLibrary::SaveDrawingFile(DrawingId drawing, const std::string& path, std::uint8_t fileType,
                                 std::int16_t versionCode, std::int16_t, std::int16_t, std::int16_t,
                                 std::int16_t) {
    auto& d = db_.Get(drawing);
    auto choice = ReleaseForCode(versionCode);
    const bool dwg = fileType == 0;
    if (!choice.ok) {
        lastStatus_ = kStatusUnsupportedRelease;
        db_.SetStatusDetail(lastStatus_,
                            "release code " + std::to_string(versionCode) +
                                " is not supported; use 0 (R2000), 12, 13, 14, 2000, 2004, 2007, 2010, 2013 or 2018");
        return;
    }
    try {
        writer_(d, path, dwg, choice.release);
        d.release = choice.release;
        lastStatus_ = kStatusOk;
    } catch (const std::exception& e) {
        // Any failure of a codec is a failed save, reported by status; the
        // codecs' own errors (CadError) already name the file.
        lastStatus_ = kStatusWriteFailed;
        db_.SetStatusDetail(lastStatus_, dynamic_cast<const cad::CadError*>(&e)
                                             ? std::string(e.what())
                                             : "cannot write " + path + ": " + e.what());
    }
}

// ------------------------------------------------------- DrawingHeader

void DrawingHeader::ReadHeader(CadDatabase& db, DrawingId drawing) {
    vars_ = db.Get(drawing).header;
    read_ = true;
}

void DrawingHeader::WriteHeader(CadDatabase& db, DrawingId drawing) {
    if (!read_) Fail("header written before it was read");
    db.Get(drawing).header = vars_;
}

void DrawingHeader::SetHeaderByte(std::int16_t setting, std::uint8_t value) {
    SetHeaderShort(setting, value);
}

void DrawingHeader::SetHeaderShort(std::int16_t setting, std::int16_t value) {
    switch (setting) {
    case kHeaderCodePage:
        switch (value) {
        case 28: vars_.codePage = "ANSI_1250"; break;
        case 29: vars_.codePage = "ANSI_1251"; break;
        default: vars_.codePage = "ANSI_1252"; break;
        }
        break;
    case kHeaderPStyleMode: vars_.pstyleMode = value ? 1 : 0; break;
    default: Fail("unknown header setting " + std::to_string(setting));
    }
}

void DrawingHeader::SetHeaderPointCoord(std::int16_t setting, std::int16_t axis, double value) {
    switch (setting) {
    case kHeaderExtMax: Axis(vars_.extMax, axis) = value; break;
    case kHeaderExtMin: Axis(vars_.extMin, axis) = value; break;
    default: Fail("unknown header point setting " + std::to_string(setting));
    }
}

// ------------------------------------------------------- KindRegistry

std::int16_t KindRegistry::GetObjectKindCode(CadDatabase& db, DrawingId drawing, int getter) const {
    db.Get(drawing);
    static const std::int16_t first[] = {kObjectDictionary, kObjectXRecord, kObjectPlaceholder,
                                         kObjectDictionaryWithDefault};
    static const std::int16_t second[] = {kObjectLayout,        kObjectMLineStyle,      kObjectGroup,
                                          kObjectPlotSettings,  kObjectDictionaryVar,   kObjectRasterVariables,
                                          kObjectSortentsTable};
    if (which_ == 0 && getter >= 0 && getter < 4) return first[getter];
    if (which_ == 1 && getter >= 0 && getter < 7) return second[getter];
    Fail("unknown object kind getter " + std::to_string(getter));
}

// ------------------------------------------------------- kind data

void BlockBeginData::InitBlockBegin(DrawingId) {
    type = cad::EntityType::Block;
    geom = {};
    text.clear();
}

void PointData::InitPoint(DrawingId) {
    type = cad::EntityType::Point;
    geom = {};
    geom.point = {};
}
void PointData::SetPointCoord(std::int16_t axis, double v) { Axis(geom.point.pos, axis) = v; }

void InsertData::InitInsert(DrawingId) {
    type = cad::EntityType::Insert;
    geom = {};
    geom.insert = {};
    geom.insert.xScale = geom.insert.yScale = geom.insert.zScale = 1;
    geom.insert.columns = geom.insert.rows = 1;
    geom.insert.block = cad::kNone;
    blockHandle_.clear();
}
void InsertData::SetInsertCoord(std::int16_t axis, double v) { Axis(geom.insert.pos, axis) = v; }
double InsertData::GetInsertCoord(std::int16_t axis) const {
    CheckAxis(axis);
    const auto& p = geom.insert.pos;
    return axis == 0 ? p.x : axis == 1 ? p.y : p.z;
}

// A new text: left-justified on its baseline, style "Standard", width 1.
void TextData::InitText(DrawingId) {
    type = cad::EntityType::Text;
    geom = {};
    geom.text = {};
    geom.text.widthFactor = 1;
    geom.text.style = 0;
    text.clear();
}
void TextData::SetTextCoord(std::int16_t axis, double v) { Axis(geom.text.pos, axis) = v; }

void CircleData::InitCircle(DrawingId) {
    type = cad::EntityType::Circle;
    geom = {};
    geom.circle = {};
}
void CircleData::SetCircleCoord(std::int16_t axis, double v) { Axis(geom.circle.center, axis) = v; }

void PolylineData::InitPolyline(DrawingId) {
    type = cad::EntityType::Polyline;
    geom = {};
    geom.polyline = {};
}

void VertexData::InitVertex(DrawingId) {
    type = cad::EntityType::Vertex;
    geom = {};
    geom.vertex = {};
}
void VertexData::SetVertexCoord(std::int16_t axis, double v) { Axis(geom.vertex.pos, axis) = v; }
void VertexData::SetVertexStartWidthFlag(std::int16_t f) {
    if (f) geom.vertex.widthFlags |= 1; else geom.vertex.widthFlags &= ~1;
}
void VertexData::SetVertexEndWidthFlag(std::int16_t f) {
    if (f) geom.vertex.widthFlags |= 2; else geom.vertex.widthFlags &= ~2;
}

void FaceData::InitFace(DrawingId) {
    type = cad::EntityType::Face3D;
    geom = {};
    geom.face = {};
}
void FaceData::Set(int corner, std::int16_t axis, double v) { Axis(geom.face.corner[corner], axis) = v; }
double FaceData::GetFaceCorner3(std::int16_t axis) const {
    CheckAxis(axis);
    const auto& p = geom.face.corner[2];
    return axis == 0 ? p.x : axis == 1 ? p.y : p.z;
}

// ------------------------------------------------------- BlockWriter

void BlockWriter::ResetBlockRecord() {
    name_.clear();
    handle_.clear();
    status_ = kStatusOk;
}

void BlockWriter::AddBlockRecord(DrawingId drawing) {
    auto& d = db_.Get(drawing);
    cad::BlockRecord b;
    b.name = name_;
    b.handle = RequireHandle(handle_, "block");
    if (name_.empty() || d.AddBlock(std::move(b)) == cad::kNone) {
        status_ = kStatusDuplicate;
        handle_.clear();
        return;
    }
    status_ = kStatusOk;
}

void BlockWriter::OpenBlockForAppend(DrawingId drawing, const std::string& blockHandle) {
    auto& d = db_.Get(drawing);
    if (open_ < d.blocks.size() && d.blocks[open_].handle == openHandle_ && blockHandle == openText_) {
        status_ = kStatusOk;
        return;
    }
    auto h = cad::ParseHandle(blockHandle);
    auto i = h ? d.FindBlockByHandle(*h) : cad::kNone;
    status_ = i == cad::kNone ? kStatusCannotOpen : kStatusOk;
    open_ = i;
    if (i != cad::kNone) {
        openText_ = blockHandle;
        openHandle_ = d.blocks[i].handle;
    }
}

// ------------------------------------------------------- EntityHeader

void EntityHeader::SetEntityKind(std::int16_t kind) {
    using T = cad::EntityType;
    switch (kind) {
    case kKindPoint: entity_.type = T::Point; break;
    case kKindCircle: entity_.type = T::Circle; break;
    case kKindText: entity_.type = T::Text; break;
    case kKindBlockBegin: entity_.type = T::Block; break;
    case kKindBlockEnd: entity_.type = T::EndBlk; break;
    case kKindInsert: entity_.type = T::Insert; break;
    case kKindSeqEnd: entity_.type = T::SeqEnd; break;
    case kKindPolyline: entity_.type = T::Polyline; break;
    case kKindVertex: entity_.type = T::Vertex; break;
    case kKindFace: entity_.type = T::Face3D; break;
    default: Fail("unknown entity kind " + std::to_string(kind));
    }
    kind_ = kind;
}

void EntityHeader::InitEntityDefaults(DrawingId drawing) {
    db_.Get(drawing);
    auto type = entity_.type;
    entity_ = cad::Entity{};
    entity_.type = type;
    entity_.layer = 0;  // layer "0"
    entity_.colour = cad::kColourByLayer;
    entity_.linetype = cad::kNone;
    layerHandle_.clear();
    linetypeHandle_.clear();
}

void EntityHeader::SetEntityHandle(const std::string& handle) { entity_.handle = RequireHandle(handle, "entity"); }

void EntityHeader::SetEntityLayer(const std::string& layerHandle) { layerHandle_ = layerHandle; }

// Entity colours the formats can hold are 0 (by block) to 256 (by layer).
// A negative colour or one above 256 is stored as by layer.
void EntityHeader::SetEntityColour(std::int16_t colour) {
    entity_.colour = (colour < 0 || colour > 256) ? cad::kColourByLayer : colour;
}

void EntityHeader::SetEntityLinetype(const std::string& linetypeHandle) { linetypeHandle_ = linetypeHandle; }

namespace {

// The index of the first table record with handle h, kNone when none has
// it. Records are entered into the index as the table grows; a table changed
// otherwise than by appending is entered anew, and a handle still missing
// is searched for record by record.
template <typename Records, typename Index>
std::uint32_t FindByHandle(const Records& records, cad::Handle h, Index& index) {
    auto it = index.at.find(h);
    if (it != index.at.end() && it->second < records.size() && records[it->second].handle == h) return it->second;
    if (it != index.at.end() || index.indexed > records.size()) {
        index.at.clear();
        index.indexed = 0;
    }
    for (; index.indexed < records.size(); ++index.indexed) index.at.emplace(records[index.indexed].handle, index.indexed);
    it = index.at.find(h);
    if (it != index.at.end() && records[it->second].handle == h) return it->second;
    for (std::uint32_t i = 0; i < records.size(); ++i)
        if (records[i].handle == h) return i;
    return cad::kNone;
}

// FindByHandle for a handle given as text, remembering the last answer.
template <typename Records, typename Index>
std::uint32_t FindByHandleText(const Records& records, const std::string& text, Index& index, const char* what) {
    if (index.lastIndex != cad::kNone && index.lastTableSize == records.size() && text == index.lastText &&
        records[index.lastIndex].handle == index.lastHandle)
        return index.lastIndex;
    const auto h = RequireHandle(text, what);
    const auto i = FindByHandle(records, h, index);
    if (i != cad::kNone) {
        index.lastText = text;
        index.lastHandle = h;
        index.lastIndex = i;
        index.lastTableSize = records.size();
    }
    return i;
}

} // namespace

void EntityHeader::AppendEntity(DrawingId drawing, EntityList list, const KindData* data) {
    auto& d = db_.Get(drawing);
    if (list == cad::kNone || list >= d.blocks.size()) Fail("append to a block that is not open");
    cad::Entity e = entity_;
    // A block end has no data of its own: callers hand it the block-begin
    // data of its block, or nothing.
    if (data && e.type == cad::EntityType::EndBlk && data->type == cad::EntityType::Block) data = nullptr;
    if (data) {
        if (data->type != e.type) Fail(std::string("kind data of ") + cad::EntityTypeName(data->type) +
                                       " appended as " + cad::EntityTypeName(e.type));
        e.geom = data->geom;
        if (e.type == cad::EntityType::Text) d.SetText(e.geom.text, data->text);
        if (e.type == cad::EntityType::Insert) {
            auto& ins = static_cast<const InsertData&>(*data);
            auto h = cad::ParseHandle(ins.blockHandle());
            auto bi = h ? d.FindBlockByHandle(*h) : cad::kNone;
            if (bi == cad::kNone) Fail("insert of an unknown block '" + ins.blockHandle() + "'");
            e.geom.insert.block = bi;
        }
    } else if (e.type != cad::EntityType::SeqEnd && e.type != cad::EntityType::EndBlk &&
               e.type != cad::EntityType::Block) {
        Fail(std::string("no kind data for ") + cad::EntityTypeName(e.type));
    }
    if (!layerHandle_.empty()) {
        if (auto i = FindByHandleText(d.layers, layerHandle_, layerIndex_, "layer"); i != cad::kNone) e.layer = i;
    }
    if (!linetypeHandle_.empty()) {
        if (auto i = FindByHandleText(d.linetypes, linetypeHandle_, linetypeIndex_, "linetype"); i != cad::kNone)
            e.linetype = i;
    }
    if (e.handle == 0) e.handle = d.NewHandle();
    d.AppendEntity(list, e);
}

// ------------------------------------------------------- LayerRecord

void LayerRecord::InitLayer(DrawingId drawing) {
    db_.Get(drawing);
    layer_ = cad::Layer{};
    colour_ = 7;
    linetypeHandle_.clear();
    plotStyleHandle_.clear();
    status_ = kStatusOk;
}

void LayerRecord::SetLayerHandle(const std::string& handle) { layer_.handle = RequireHandle(handle, "layer"); }

// Layer colours are 1..255 in every format (0 is not a layer colour, a
// negative one means "off"). A negative colour -c with c in 1..255 makes the
// layer off with colour c; anything else outside 1..255 becomes 7.
void LayerRecord::AddLayer(DrawingId drawing) {
    auto& d = db_.Get(drawing);
    cad::Layer l = layer_;
    if (colour_ >= 1 && colour_ <= 255) {
        l.colour = colour_;
    } else if (colour_ <= -1 && colour_ >= -255) {
        l.colour = static_cast<std::int16_t>(-colour_);
        l.off = true;
    } else {
        l.colour = 7;
    }
    if (!linetypeHandle_.empty()) {
        auto h = cad::ParseHandle(linetypeHandle_);
        for (std::uint32_t i = 0; h && i < d.linetypes.size(); ++i)
            if (d.linetypes[i].handle == *h) { l.linetype = i; break; }
    }
    if (!plotStyleHandle_.empty()) {
        auto h = cad::ParseHandle(plotStyleHandle_);
        if (h) l.plotStyle = *h;
    }
    if (l.name.empty()) {
        status_ = kStatusBadValue;
        return;
    }
    // A name already in the table is there: the add succeeds without a
    // second record, and the layer keeps what it was made with.
    status_ = kStatusOk;
    if (d.FindLayer(l.name) != cad::kNone) return;
    if (l.handle == 0) l.handle = d.NewHandle();
    d.AddLayer(std::move(l));
}

// ------------------------------------------------------- LinetypeRecord

void LinetypeRecord::ResetLinetype() { lt_ = cad::Linetype{}; }

void LinetypeRecord::SetLinetypeHandle(const std::string& handle) { lt_.handle = RequireHandle(handle, "linetype"); }

void LinetypeRecord::SetDashCount(std::int16_t n) {
    if (n < 0 || n > 12) Fail("linetype dash count " + std::to_string(n) + " out of range");
    lt_.dashes.assign(static_cast<std::size_t>(n), 0.0);
}

void LinetypeRecord::SetDashLength(std::int16_t index, double v) {
    if (index < 0 || static_cast<std::size_t>(index) >= lt_.dashes.size())
        Fail("linetype dash index " + std::to_string(index) + " out of range");
    lt_.dashes[static_cast<std::size_t>(index)] = v;
}

void LinetypeRecord::AddLinetype(DrawingId drawing) {
    auto& d = db_.Get(drawing);
    cad::Linetype lt = lt_;
    if (lt.name.empty()) lt.name = "lstyle";
    if (lt.handle == 0) lt.handle = d.NewHandle();
    d.AddLinetype(std::move(lt));
}

// ------------------------------------------------------- objects

void EntryList::LoadEntry(std::int32_t index) {
    if (!entries_ || index < 0 || static_cast<std::size_t>(index) >= entries_->size()) {
        current_ = {};
        return;
    }
    index_ = index;
    current_ = (*entries_)[static_cast<std::size_t>(index)];
}

void EntryList::ExtendEntryList() {
    current_ = {};
    extending_ = true;
}

void EntryList::SetEntryHandle(const std::string& handle) { current_.target = RequireHandle(handle, "entry"); }

void EntryList::StoreEntry() {
    if (!entries_) Fail("entry stored without a dictionary");
    if (extending_) {
        entries_->push_back(current_);
        extending_ = false;
    } else if (index_ >= 0 && static_cast<std::size_t>(index_) < entries_->size()) {
        (*entries_)[static_cast<std::size_t>(index_)] = current_;
    }
}

void DictionaryData::AttachDictionary(ObjectHeader& header) {
    obj_ = header.loaded_;
    entries_ = EntryList{};
    entries_.entries_ = &obj_.entries;
}

EntryList& DictionaryData::GetDictionaryEntries() { return entries_; }

std::int32_t DictionaryData::GetDictionaryCount() const { return static_cast<std::int32_t>(obj_.entries.size()); }

void ObjectHeader::OpenRootDictionary(DrawingId drawing) {
    auto* d = db_.Find(drawing);
    if (!d) { status_ = kStatusNoDrawing; return; }
    handle_ = d->rootDictionary;
    status_ = d->ObjectByHandle(handle_) ? kStatusOk : kStatusNotFound;
}

void ObjectHeader::ReadObject(DrawingId drawing) {
    auto* d = db_.Find(drawing);
    const cad::Object* o = d ? d->ObjectByHandle(handle_) : nullptr;
    if (!o) { status_ = kStatusNotFound; return; }
    loaded_ = *o;
    switch (o->type) {
    case cad::ObjectType::Dictionary: kind_ = kObjectDictionary; break;
    case cad::ObjectType::DictionaryWithDefault: kind_ = kObjectDictionaryWithDefault; break;
    case cad::ObjectType::Placeholder: kind_ = kObjectPlaceholder; break;
    case cad::ObjectType::Layout: kind_ = kObjectLayout; break;
    case cad::ObjectType::MLineStyle: kind_ = kObjectMLineStyle; break;
    case cad::ObjectType::XRecord: kind_ = kObjectXRecord; break;
    case cad::ObjectType::DictionaryVar: kind_ = kObjectDictionaryVar; break;
    case cad::ObjectType::Scale: kind_ = kObjectScale; break;
    case cad::ObjectType::MLeaderStyle: kind_ = kObjectMLeaderStyle; break;
    case cad::ObjectType::TableStyle: kind_ = kObjectTableStyle; break;
    case cad::ObjectType::Material: kind_ = kObjectMaterial; break;
    case cad::ObjectType::VisualStyle: kind_ = kObjectVisualStyle; break;
    }
    status_ = kStatusOk;
}

void ObjectHeader::ReadObjectByHandle(DrawingId drawing, const std::string& handle) {
    auto h = cad::ParseHandle(handle);
    if (!h) { status_ = kStatusNotFound; return; }
    handle_ = *h;
    ReadObject(drawing);
}

void ObjectHeader::InitObjectDefaults(DrawingId drawing) {
    db_.Get(drawing);
    handle_ = 0;
    status_ = kStatusOk;
}

void ObjectHeader::SetObjectHandle(const std::string& handle) { handle_ = RequireHandle(handle, "object"); }

void ObjectHeader::AddObject(DrawingId drawing, const PlotStyleNameData*) {
    auto& d = db_.Get(drawing);
    if (kind_ != kObjectPlaceholder) Fail("object kind " + std::to_string(kind_) + " cannot be added");
    if (handle_ == 0 || d.FindObject(handle_) != cad::kNone) { status_ = kStatusDuplicate; return; }
    cad::Object o;
    o.type = cad::ObjectType::Placeholder;
    o.handle = handle_;
    o.owner = pendingOwner_;
    if (pendingOwner_) o.reactors.push_back(pendingOwner_);
    d.AddObject(std::move(o));
    status_ = kStatusOk;
}

// Writes a dictionary's entries back; objects it names that have no owner
// yet become its own (the plot-style name objects made for new layers).
void ObjectHeader::UpdateObject(DrawingId drawing, const DictionaryData* data) {
    auto& d = db_.Get(drawing);
    if (!data) Fail("dictionary update without data");
    auto* o = d.ObjectByHandle(data->obj_.handle);
    if (!o) { status_ = kStatusNotFound; return; }
    o->entries = data->obj_.entries;
    for (auto& entry : o->entries) {
        auto* target = d.ObjectByHandle(entry.target);
        if (target && target->owner == 0) {
            target->owner = o->handle;
            target->reactors = {o->handle};
        }
    }
    status_ = kStatusOk;
}

} // namespace ostrel
