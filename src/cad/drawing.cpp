#include "cad/drawing.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace ostrel::cad {

std::string HandleText(Handle h) {
    char buf[16];
    char* p = buf + sizeof buf;
    do {
        *--p = "0123456789ABCDEF"[h & 15];
        h >>= 4;
    } while (h);
    return std::string(p, buf + sizeof buf);
}

std::optional<Handle> ParseHandle(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    if (text.empty() || text.size() > 16) return std::nullopt;
    // Sixteen hex digits at most: no overflow to check. The toolkit passes
    // every handle it gives out through here.
    Handle h = 0;
    for (const char ch : text) {
        const unsigned lower = static_cast<unsigned char>(ch) | 0x20u;
        unsigned digit;
        if (ch >= '0' && ch <= '9') digit = static_cast<unsigned>(ch - '0');
        else if (lower >= 'a' && lower <= 'f') digit = lower - 'a' + 10;
        else return std::nullopt;
        h = h << 4 | digit;
    }
    return h;
}

const char* EntityTypeName(EntityType t) {
#define OSTREL_KIND_NAME(kind, name) name,
    static constexpr const char* kNames[] = {OSTREL_ENTITY_KINDS(OSTREL_KIND_NAME)};
#undef OSTREL_KIND_NAME
    const auto at = static_cast<std::size_t>(t);
    return at < std::size(kNames) ? kNames[at] : "?";
}

const char* ObjectTypeName(ObjectType t) {
    switch (t) {
    case ObjectType::Dictionary: return "DICTIONARY";
    case ObjectType::DictionaryWithDefault: return "ACDBDICTIONARYWDFLT";
    case ObjectType::Placeholder: return "ACDBPLACEHOLDER";
    case ObjectType::Layout: return "LAYOUT";
    case ObjectType::MLineStyle: return "MLINESTYLE";
    case ObjectType::XRecord: return "XRECORD";
    case ObjectType::DictionaryVar: return "DICTIONARYVAR";
    case ObjectType::Scale: return "SCALE";
    case ObjectType::MLeaderStyle: return "MLEADERSTYLE";
    case ObjectType::TableStyle: return "TABLESTYLE";
    case ObjectType::Material: return "MATERIAL";
    case ObjectType::VisualStyle: return "VISUALSTYLE";
    }
    return "?";
}

std::string FoldName(std::string_view name) {
    std::string s(name);
    for (auto& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

static char FoldChar(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::size_t FoldedNameHash::operator()(std::string_view s) const noexcept {
    std::uint64_t h = 14695981039346656037ull;   // FNV-1a over the folded bytes
    for (char c : s) {
        h ^= static_cast<unsigned char>(FoldChar(c));
        h *= 1099511628211ull;
    }
    return static_cast<std::size_t>(h);
}

bool FoldedNameEqual::operator()(std::string_view a, std::string_view b) const noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldChar(a[i]) != FoldChar(b[i])) return false;
    return true;
}

static bool StartsWithFolded(std::string_view name, std::string_view prefix) {
    return name.size() >= prefix.size() && FoldedNameEqual{}(name.substr(0, prefix.size()), prefix);
}

bool BlockRecord::IsModelSpace() const { return FoldedNameEqual{}(name, "*Model_Space"); }
bool BlockRecord::IsPaperSpace() const { return StartsWithFolded(name, "*Paper_Space"); }

Handle Drawing::NewHandle() { return nextHandle_++; }

void Drawing::ReserveHandle(Handle h) {
    if (h >= nextHandle_) nextHandle_ = h + 1;
}

static std::uint32_t Lookup(const NameIndex& m, std::string_view name) {
    auto it = m.find(name);
    return it == m.end() ? kNone : it->second;
}

std::uint32_t Drawing::FindLayer(std::string_view n) const { return Lookup(layerIndex_, n); }
std::uint32_t Drawing::FindLinetype(std::string_view n) const { return Lookup(linetypeIndex_, n); }
std::uint32_t Drawing::FindBlock(std::string_view n) const { return Lookup(blockIndex_, n); }
std::uint32_t Drawing::FindStyle(std::string_view n) const { return Lookup(styleIndex_, n); }

std::uint32_t Drawing::FindObject(Handle h) const {
    auto it = objectIndex_.find(h);
    return it == objectIndex_.end() ? kNone : it->second;
}

std::uint32_t Drawing::FindBlockByHandle(Handle h) const {
    auto it = blockHandleIndex_.find(h);
    return it == blockHandleIndex_.end() ? kNone : it->second;
}

std::uint32_t Drawing::AddLayer(Layer layer) {
    auto key = FoldName(layer.name);
    if (layerIndex_.count(key)) return kNone;
    ReserveHandle(layer.handle);
    auto idx = static_cast<std::uint32_t>(layers.size());
    layers.push_back(std::move(layer));
    layerIndex_.emplace(std::move(key), idx);
    return idx;
}

// Two linetype records may not share a name in any format. A repeated name
// gets "_2", "_3", ... appended, so every record keeps its own pattern and
// layers and entities refer to the one they were given.
std::uint32_t Drawing::AddLinetype(Linetype lt) {
    if (auto key = FoldName(lt.name); linetypeIndex_.count(key)) {
        // The search for a free number resumes where the last one for this
        // name ended: every number below it is taken, since records are not
        // removed (a direct change of the table rebuilds the indexes and
        // forgets these marks).
        int& next = linetypeSuffix_[key];
        for (int n = std::max(next, 2);; ++n) {
            std::string candidate = lt.name + "_" + std::to_string(n);
            if (!linetypeIndex_.count(FoldName(candidate))) {
                lt.name = candidate;
                next = n + 1;
                break;
            }
        }
    }
    ReserveHandle(lt.handle);
    auto idx = static_cast<std::uint32_t>(linetypes.size());
    linetypeIndex_.emplace(FoldName(lt.name), idx);
    linetypes.push_back(std::move(lt));
    return idx;
}

std::uint32_t Drawing::AddStyle(TextStyle st) {
    auto key = FoldName(st.name);
    if (styleIndex_.count(key)) return styleIndex_[key];
    ReserveHandle(st.handle);
    auto idx = static_cast<std::uint32_t>(styles.size());
    styles.push_back(std::move(st));
    styleIndex_.emplace(std::move(key), idx);
    return idx;
}

std::uint32_t Drawing::AddBlock(BlockRecord block) {
    auto key = FoldName(block.name);
    if (blockIndex_.count(key)) return kNone;
    ReserveHandle(block.handle);
    auto idx = static_cast<std::uint32_t>(blocks.size());
    blockHandleIndex_[block.handle] = idx;
    blocks.push_back(std::move(block));
    blockIndex_.emplace(std::move(key), idx);
    modelSpace_ = FindBlock("*Model_Space");
    return idx;
}

void Drawing::RenameBlock(std::uint32_t block, const std::string& name) {
    auto& b = blocks.at(block);
    blockIndex_.erase(FoldName(b.name));
    b.name = name;
    blockIndex_[FoldName(name)] = block;
    modelSpace_ = FindBlock("*Model_Space");
}

std::uint32_t Drawing::AddObject(Object obj) {
    ReserveHandle(obj.handle);
    auto idx = static_cast<std::uint32_t>(objects.size());
    objectIndex_[obj.handle] = idx;
    objects.push_back(std::move(obj));
    return idx;
}

Object* Drawing::ObjectByHandle(Handle h) {
    auto i = FindObject(h);
    return i == kNone ? nullptr : &objects[i];
}

const Object* Drawing::ObjectByHandle(Handle h) const {
    auto i = FindObject(h);
    return i == kNone ? nullptr : &objects[i];
}

std::uint32_t Drawing::AppendEntity(std::uint32_t block, Entity e) {
    auto& b = blocks.at(block);
    ReserveHandle(e.handle);
    auto idx = static_cast<std::uint32_t>(entities.size());
    if (e.type == EntityType::Block || e.type == EntityType::EndBlk) {
        e.geom.block.block = block;
        (e.type == EntityType::Block ? b.beginEntity : b.endEntity) = idx;
        entities.push_back(e);
        return idx;
    }
    if (b.IsPaperSpace()) e.flags |= kEntityPaperSpace;
    entities.push_back(e);
    b.entities.push_back(idx);
    return idx;
}

void Drawing::EnsureBlockEnds(std::uint32_t block) {
    auto& b = blocks.at(block);
    if (b.beginEntity == kNone) {
        Entity e;
        e.type = EntityType::Block;
        e.handle = NewHandle();
        AppendEntity(block, e);
    }
    if (b.endEntity == kNone) {
        Entity e;
        e.type = EntityType::EndBlk;
        e.handle = NewHandle();
        AppendEntity(block, e);
    }
}

namespace {

void CountKind(std::map<std::string, std::uint32_t, std::less<>>& counts, std::string_view kind) {
    auto it = counts.find(kind);
    if (it == counts.end()) it = counts.emplace(std::string(kind), 0).first;
    ++it->second;
}

} // namespace

void Drawing::CountNotRead(std::string_view kind) { CountKind(notRead, kind); }
void Drawing::CountObjectNotRead(std::string_view kind) { CountKind(objectsNotRead, kind); }

void Drawing::SetText(TextGeom& t, std::string_view s) {
    t.textOffset = static_cast<std::uint32_t>(textPool.size());
    t.textLength = static_cast<std::uint32_t>(s.size());
    textPool.append(s);
}

void Drawing::SetText(MTextGeom& t, std::string_view s) {
    t.textOffset = static_cast<std::uint32_t>(textPool.size());
    t.textLength = static_cast<std::uint32_t>(s.size());
    textPool.append(s);
}

namespace {

template <class Data>
void PushSide(std::vector<Data>& side, Entity& e, Data data) {
    e.geom.extra.index = static_cast<std::uint32_t>(side.size());
    side.push_back(std::move(data));
}

} // namespace

void Drawing::SetLwPolyline(Entity& e, LwPolylineData data) { PushSide(lwpolylines, e, std::move(data)); }
void Drawing::SetSpline(Entity& e, SplineData data) { PushSide(splines, e, std::move(data)); }
void Drawing::SetAttribute(Entity& e, AttributeData data) { PushSide(attributes, e, std::move(data)); }
void Drawing::SetDimension(Entity& e, DimensionData data) { PushSide(dimensions, e, std::move(data)); }

void Drawing::RebuildIndexes() {
    layerIndex_.clear();
    linetypeIndex_.clear();
    linetypeSuffix_.clear();
    blockIndex_.clear();
    styleIndex_.clear();
    objectIndex_.clear();
    blockHandleIndex_.clear();
    auto reserve = [this](Handle h) { ReserveHandle(h); };
    for (std::uint32_t i = 0; i < layers.size(); ++i) { layerIndex_.emplace(FoldName(layers[i].name), i); reserve(layers[i].handle); }
    for (std::uint32_t i = 0; i < linetypes.size(); ++i) { linetypeIndex_.emplace(FoldName(linetypes[i].name), i); reserve(linetypes[i].handle); }
    for (std::uint32_t i = 0; i < blocks.size(); ++i) {
        blockIndex_.emplace(FoldName(blocks[i].name), i);
        blockHandleIndex_[blocks[i].handle] = i;
        reserve(blocks[i].handle);
    }
    modelSpace_ = FindBlock("*Model_Space");
    for (std::uint32_t i = 0; i < styles.size(); ++i) { styleIndex_.emplace(FoldName(styles[i].name), i); reserve(styles[i].handle); }
    for (std::uint32_t i = 0; i < objects.size(); ++i) { objectIndex_[objects[i].handle] = i; reserve(objects[i].handle); }
    for (auto& e : entities) reserve(e.handle);
    for (auto* v : {&appids, &views, &ucss, &dimstyles})
        for (auto& r : *v) reserve(r.handle);
    for (auto& v : vports) reserve(v.handle);
    for (Handle h : {controls.block, controls.layer, controls.style, controls.linetype, controls.view,
                     controls.ucs, controls.vport, controls.appid, controls.dimstyle, controls.vx, rootDictionary})
        reserve(h);
}

} // namespace ostrel::cad
