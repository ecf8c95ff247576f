#include "cad/dwg/dwg_style_objects.h"

namespace ostrel::cad::dwg {

namespace {

using K = StyleFieldKind;

std::span<const StyleField> FieldsOf(ObjectType type) {
    return type == ObjectType::MLeaderStyle ? MLeaderStyleFields() : TableStyleFields();
}

bool IsHandle(K kind) { return kind == K::Linetype || kind == K::TextStyle || kind == K::Block; }

// Where a table style's row fields sit in the list (see TableStyleFields).
constexpr std::size_t kOwn = kTableStyleOwnFields;
constexpr std::size_t kRow = kTableStyleRowFields;
constexpr std::size_t kVersion = 0, kName = 1, kHorizontalMargin = 4, kVerticalMargin = 5;
constexpr std::size_t kRowStyle = 0, kRowHeight = 1, kRowAlignment = 2, kRowText = 3, kRowFill = 4, kRowFilled = 5;
constexpr std::size_t kRowValueType = 6, kRowUnitType = 7, kRowFormat = 8, kRowBorders = 9;
std::size_t RowField(std::size_t row, std::size_t field) { return kOwn + row * kRow + field; }

// The order DWG stores the fields in: a table style row keeps its value
// format (DXF: after the fill) after its borders.
std::vector<std::size_t> DwgOrder(ObjectType type) {
    const std::size_t n = FieldsOf(type).size();
    std::vector<std::size_t> order;
    order.reserve(n);
    if (type != ObjectType::TableStyle) {
        for (std::size_t i = 0; i < n; ++i) order.push_back(i);
        return order;
    }
    for (std::size_t i = 0; i < kOwn; ++i) order.push_back(i);
    for (std::size_t row = 0; row < 3; ++row) {
        for (std::size_t f = 0; f < kRow; ++f)
            if (f < kRowValueType || f >= kRowBorders) order.push_back(RowField(row, f));
        for (std::size_t f = kRowValueType; f < kRowBorders; ++f) order.push_back(RowField(row, f));
    }
    return order;
}

// The table style keeps its colours in full (colour value and flags) in
// every release; the multileader style as the release does.
void WriteColour(BitWriter& w, std::int16_t index, bool full) {
    const bool kept = w.fullColour;
    w.fullColour = kept || full;
    w.CMC(index);
    w.fullColour = kept;
}

std::int16_t ReadColour(BitReader& r, bool full) {
    const bool kept = r.fullColour;
    r.fullColour = kept || full;
    const std::int16_t index = r.CMC();
    r.fullColour = kept;
    return index;
}

void WriteField(BitWriter& w, const StyleField& f, const StyleValue& v, bool fullColour) {
    switch (f.kind) {
    case K::Short: w.BS(static_cast<std::int16_t>(v.number)); break;
    case K::Long: w.BL(static_cast<std::int32_t>(v.number)); break;
    case K::Real: w.BD(v.number); break;
    case K::Flag: w.B(v.number != 0); break;
    case K::Colour: WriteColour(w, static_cast<std::int16_t>(v.number), fullColour); break;
    case K::Text: w.TV(v.text); break;
    case K::Linetype:
    case K::TextStyle:
    case K::Block:
        break;                                  // in the handle stream
    }
}

void ReadField(BitReader& r, const StyleField& f, StyleValue& v, bool fullColour) {
    switch (f.kind) {
    case K::Short: v.number = r.BS(); break;
    case K::Long: v.number = r.BL(); break;
    case K::Real: v.number = r.BD(); break;
    case K::Flag: v.number = r.B() ? 1 : 0; break;
    case K::Colour: v.number = ReadColour(r, fullColour); break;
    case K::Text: v.text = r.TV(); break;
    case K::Linetype:
    case K::TextStyle:
    case K::Block:
        break;
    }
}

// ---------------------------------------------------------------- R2010 on
// The table style as cell styles: the whole table's, then the title,
// header and data rows'. A cell style: its kind, what it overrides, its
// fill, the format of its content (value type, alignment, colour, text
// style and height), its margins and its six borders.

constexpr std::uint32_t kNoColour = 0xC8000000u;

struct CellStyleKind {
    std::size_t row;            // the row's fields in the list (0 data, 1 title, 2 header)
    std::int32_t id, kind, mergeFlags;
    const char* name;
};
constexpr CellStyleKind kCellRows[3] = {
    {1, 1, 1, 32768, "_TITLE"}, {2, 2, 1, 0, "_HEADER"}, {0, 3, 2, 0, "_DATA"}};

// The whole table's cell style, as the leading program's drawings hold it.
struct TableCell {
    double height, spacing;
    std::int32_t borders, unknown;
};
TableCell TableCellOf(Release release) {
    if (release >= Release::R2018) return {0.18, 0.18, 0, 8};
    return {4.5, 4.5, 6, 0};
}

void WriteRawColour(BitWriter& w, std::uint32_t value) {
    w.BS(0);
    w.BL(static_cast<std::int32_t>(value));
    w.RC(0);
}

std::uint32_t ReadRawColour(BitReader& r) {
    r.BS();
    const auto value = static_cast<std::uint32_t>(r.BL());
    const std::uint8_t flags = r.RC();
    if (flags & 1) r.TV();
    if (flags & 2) r.TV();
    return value;
}

// One cell style's data; `row` null for the whole table's. Handles (its text
// style, the borders' linetypes) go to `handles` in order.
void WriteCellStyle(BitWriter& w, const std::vector<StyleValue>& v, const CellStyleKind* row, const TableCell& table,
                    std::vector<Handle>& handles) {
    auto at = [&](std::size_t f) -> const StyleValue& { return v[RowField(row ? row->row : 0, f)]; };
    w.BL(5);                                    // kind of cell style
    w.BS(1);                                    // data follows
    w.BL(0);                                    // nothing overridden
    w.BL(row ? row->mergeFlags : 0);
    const bool filled = row && at(kRowFilled).number != 0;
    WriteRawColour(w, filled ? static_cast<std::uint32_t>(ColourValue(static_cast<std::int16_t>(at(kRowFill).number))) : kNoColour);
    w.BL(1);                                    // content flows
    w.BL(0);
    w.BL(0);                                    // content format: nothing overridden
    w.BL(static_cast<std::int32_t>(at(kRowValueType).number));
    w.BL(static_cast<std::int32_t>(at(kRowUnitType).number));
    w.TV(at(kRowFormat).text);
    w.BD(0.0);                                  // rotation
    w.BD(1.0);                                  // block scale
    w.BL(row ? static_cast<std::int32_t>(at(kRowAlignment).number) : 1);
    WriteRawColour(w, static_cast<std::uint32_t>(ColourValue(row ? static_cast<std::int16_t>(at(kRowText).number) : 0)));
    handles.push_back(row ? at(kRowStyle).handle : 0);
    w.BD(row ? at(kRowHeight).number : table.height);
    w.BS(1);                                    // margins follow
    for (int i = 0; i < 2; ++i) {
        w.BD(v[kVerticalMargin].number);
        w.BD(v[kHorizontalMargin].number);
    }
    w.BD(row ? 4.5 : table.spacing);
    w.BD(row ? 4.5 : table.spacing);
    const std::int32_t borders = row ? 6 : table.borders;
    w.BL(borders);
    for (std::int32_t i = 0; i < borders; ++i) {
        const std::size_t b = kRowBorders + 3 * static_cast<std::size_t>(i);
        w.BL(1 << i);
        w.BL(0);                                // nothing overridden
        w.BL(1);                                // single line
        WriteRawColour(w, static_cast<std::uint32_t>(ColourValue(static_cast<std::int16_t>(at(b + 2).number))));
        w.BL(static_cast<std::int32_t>(at(b).number));
        handles.push_back(0);                   // linetype: the default
        w.BL(at(b + 1).number != 0 ? 0 : 1);   // hidden
        w.BD(1.125);                            // double line spacing
    }
}

void WriteCellStyles(BitWriter& w, Release release, const std::vector<StyleValue>& v, std::vector<Handle>& handles) {
    const TableCell table = TableCellOf(release);
    w.RC(static_cast<std::uint8_t>(v[kVersion].number));
    w.TV(v[kName].text);
    w.BL(table.unknown);
    w.BL(101);
    handles.push_back(0);                       // the table's cell style object: none
    WriteCellStyle(w, v, nullptr, table, handles);
    w.BL(4);
    w.BL(2);
    w.TV("Table");
    w.BL(3);
    for (const auto& row : kCellRows) {
        w.BL(row.id);
        WriteCellStyle(w, v, &row, table, handles);
        w.BL(row.id);
        w.BL(row.kind);
        w.TV(row.name);
    }
}

constexpr std::size_t kNoField = static_cast<std::size_t>(-1);

// Reads a cell style into the row's fields (`row` null: the whole table's,
// its margins kept); `targets` gets the field of each of its handles.
void ReadCellStyle(BitReader& r, std::vector<StyleValue>& v, const CellStyleKind* row, std::vector<std::size_t>& targets) {
    auto at = [&](std::size_t f) -> StyleValue& { return v[RowField(row ? row->row : 0, f)]; };
    StyleValue scratch;
    r.BL();
    if (r.BS() == 0) return;                    // no data
    r.BL();
    r.BL();
    const std::uint32_t fill = ReadRawColour(r);
    r.BL();
    for (int i = 0; i < 2; ++i) r.BL();
    (row ? at(kRowValueType) : scratch).number = r.BL();
    (row ? at(kRowUnitType) : scratch).number = r.BL();
    (row ? at(kRowFormat) : scratch).text = r.TV();
    r.BD();
    r.BD();
    (row ? at(kRowAlignment) : scratch).number = r.BL();
    (row ? at(kRowText) : scratch).number = ColourIndex(static_cast<std::int32_t>(ReadRawColour(r)));
    targets.push_back(row ? RowField(row->row, kRowStyle) : kNoField);
    (row ? at(kRowHeight) : scratch).number = r.BD();
    if (row && (fill >> 24) != 0xC8) {
        at(kRowFilled).number = 1;
        at(kRowFill).number = ColourIndex(static_cast<std::int32_t>(fill));
    }
    if (r.BS() != 0) {
        double margins[6];
        for (double& m : margins) m = r.BD();
        if (!row) {
            v[kVerticalMargin].number = margins[0];
            v[kHorizontalMargin].number = margins[1];
        }
    }
    const std::int32_t borders = r.BL();
    if (borders < 0 || borders > 6) r.Fail("a cell style has more than six borders");
    for (std::int32_t i = 0; i < borders; ++i) {
        const std::int32_t mask = r.BL();
        if (mask == 0) continue;             // a border without data
        int index = 0;
        while (index < 5 && !(mask & (1 << index))) ++index;
        const std::size_t b = kRowBorders + 3 * static_cast<std::size_t>(index);
        r.BL();
        r.BL();
        (row ? at(b + 2) : scratch).number = ColourIndex(static_cast<std::int32_t>(ReadRawColour(r)));
        (row ? at(b) : scratch).number = r.BL();
        targets.push_back(kNoField);
        (row ? at(b + 1) : scratch).number = r.BL() == 0 ? 1 : 0;
        r.BD();
    }
}

void ReadCellStyles(BitReader& r, std::vector<StyleValue>& v, std::vector<std::size_t>& targets) {
    v[kVersion].number = r.RC();
    v[kName].text = r.TV();
    r.BL();
    r.BL();
    targets.push_back(kNoField);                // the table's cell style object
    ReadCellStyle(r, v, nullptr, targets);
    r.BL();
    r.BL();
    r.TV();
    const std::int32_t count = r.BL();
    if (count < 0 || count > 64) r.Fail("a table style has an unlikely number of cell styles");
    for (std::int32_t i = 0; i < count; ++i) {
        r.BL();
        // The row a cell style stands for is known by its id, after its data:
        // read into a copy, then taken for the row of that id.
        std::vector<StyleValue> copy = v;
        const std::size_t first = targets.size();
        ReadCellStyle(r, copy, &kCellRows[2], targets);
        const std::int32_t id = r.BL();
        r.BL();
        r.TV();
        const CellStyleKind* kind = nullptr;
        for (const auto& row : kCellRows)
            if (row.id == id) kind = &row;
        for (std::size_t t = first; t < targets.size(); ++t)
            if (targets[t] != kNoField) targets[t] = kind ? RowField(kind->row, kRowStyle) : kNoField;
        if (kind)
            for (std::size_t f = 0; f < kRow; ++f) v[RowField(kind->row, f)] = copy[RowField(0, f)];
    }
}

bool CellStyleForm(Release release, ObjectType type) {
    return type == ObjectType::TableStyle && release >= Release::R2010;
}

} // namespace

void WriteStyleData(BitWriter& w, Release release, ObjectType type, const std::vector<StyleValue>& values) {
    const auto fields = FieldsOf(type);
    if (values.size() != fields.size()) throw CadError("a style object holds the wrong number of fields");
    if (CellStyleForm(release, type)) {
        std::vector<Handle> handles;
        WriteCellStyles(w, release, values, handles);
        return;
    }
    for (std::size_t i : DwgOrder(type))
        if (release >= fields[i].since) WriteField(w, fields[i], values[i], type == ObjectType::TableStyle);
}

void WriteStyleHandles(BitWriter& w, Release release, ObjectType type, const std::vector<StyleValue>& values) {
    const auto fields = FieldsOf(type);
    if (CellStyleForm(release, type)) {
        BitWriter scratch;
        std::vector<Handle> handles;
        WriteCellStyles(scratch, release, values, handles);
        for (Handle h : handles) w.H(kHardPointer, h);
        return;
    }
    for (std::size_t i : DwgOrder(type))
        if (release >= fields[i].since && IsHandle(fields[i].kind)) w.H(kHardPointer, values[i].handle);
}

std::vector<std::size_t> ReadStyleData(BitReader& r, Release release, ObjectType type, std::vector<StyleValue>& values) {
    const auto fields = FieldsOf(type);
    values = StandardStyleValues(fields, 0, 0);
    std::vector<std::size_t> targets;
    if (CellStyleForm(release, type)) {
        ReadCellStyles(r, values, targets);
        return targets;
    }
    for (std::size_t i : DwgOrder(type)) {
        if (release < fields[i].since) continue;
        ReadField(r, fields[i], values[i], type == ObjectType::TableStyle);
        if (IsHandle(fields[i].kind)) targets.push_back(i);
    }
    return targets;
}

void ReadStyleHandles(BitReader& h, Handle self, const std::vector<std::size_t>& targets, std::vector<StyleValue>& values) {
    h.RequireItems(targets.size(), 8, "style handles");
    for (std::size_t t : targets) {
        const Handle value = h.H().Resolve(self);
        if (t != kNoField) values[t].handle = value;
    }
}

} // namespace ostrel::cad::dwg
