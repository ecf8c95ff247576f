// The symbol library: outline lines and the blocks made from a symbol file.
#include <gtest/gtest.h>

#include <tuple>

#include "tables/symbol_outline.h"
#include "support/tables_fixture.h"

namespace ostrel::test {
namespace {

struct Outline {
    bool isOutline = false;
    bool closed = false;
    std::vector<OutlineVertex> vertices;
};

Outline Parse(std::string_view line) {
    Outline o;
    o.isOutline = ParseOutline(line, o.vertices, o.closed);
    return o;
}

// "closed|open: x,y x,y ...", or "none" when the line is no outline.
std::string Text(const Outline& o) {
    if (!o.isOutline) return o.vertices.empty() ? "none" : "none with vertices";
    std::string out = o.closed ? "closed:" : "open:";
    char xy[64];
    for (const auto& v : o.vertices) {
        std::snprintf(xy, sizeof xy, " %g,%g", v.x, v.y);
        out += xy;
    }
    return out;
}

TEST(SymbolOutline, VerticesAndTheClosingPair) {
    const std::pair<const char*, const char*> cases[] = {
        {"0,0,1,0,1,1,0,1,-9.999,-9.999,", "closed: 0,0 1,0 1,1 0,1"},   // the closing pair is no vertex
        {"0,0,1,0,1,1,0,1,", "open: 0,0 1,0 1,1 0,1"},
        // Fewer than three commas is no outline (after the closing pair is cut too).
        {"1,2,", "none"}, {"", "none"}, {"just words", "none"}, {"1,2,-9.999,-9.999,", "none"}, {",-9.999,", "none"},
        {"1,2,3,", "open: 1,2 3,0"},                                         // an odd last value gets y 0
        {"0,0,1,0,1,1,-9.999,-9.999,  ", "open: 0,0 1,0 1,1 -9.999,-9.999"},   // trailing blanks hide the pair
        // Fourteen characters are cut whatever they are: here the tail of 123.456 too.
        {"0,0,1,0,1,1,0,123.456,-9.999,", "closed: 0,0 1,0 1,1 0,1"},
        // An empty or blank x field ends the vertices; an empty y reads as 0.
        {"1,2,,4,5,6,", "open: 1,2"}, {"1,2, ,4,5,6,", "open: 1,2"}, {"1,,3,4,", "open: 1,0 3,4"},
    };
    for (auto [line, outline] : cases) EXPECT_EQ(Text(Parse(line)), outline) << line;
}

TEST(SymbolOutline, LongLinesAreReadUpToTheCommaCountLimit) {
    std::string line;
    for (int i = 0; i < 16000; ++i) line += std::to_string(i) + ",0.5,";
    auto o = Parse(line);
    ASSERT_EQ(o.vertices.size(), 16000u);
    EXPECT_DOUBLE_EQ(o.vertices.back().x, 15999);
    EXPECT_DOUBLE_EQ(o.vertices.back().y, 0.5);
    // Beyond 32767 commas the count overflows: an error, not a crash.
    for (int i = 0; i < 1000; ++i) line += "1,1,";
    try {
        Parse(line);
        FAIL() << "no error";
    } catch (const ConversionError& e) {
        EXPECT_EQ(e.code(), ErrorCode::Overflow);
    }
}

// ------------------------------------------------------------------ LoadSymbolLibrary

class SymbolLibrary : public TablesTest {
protected:
    void Load(const std::string& text) {
        WriteFile(dir.file("job.SYM"), text);
        auto file = OpenForInput(dir.file("job.SYM"), true, *prompter);
        ASSERT_TRUE(file);
        run->LoadSymbolLibrary(*file);
    }

    const cad::BlockRecord* Block(const std::string& name) {
        auto i = drawing().FindBlock(name);
        return i == cad::kNone ? nullptr : &drawing().blocks[i];
    }

    // The block's polylines: flags and vertices (x, y), with their sequence checked.
    struct Poly {
        std::int16_t flags;
        std::vector<std::pair<double, double>> vertices;
    };
    std::vector<Poly> Polylines(const cad::BlockRecord& b) {
        std::vector<Poly> out;
        const auto& d = drawing();
        for (std::size_t k = 0; k < b.entities.size(); ++k) {
            const auto& e = d.entities[b.entities[k]];
            if (e.type == cad::EntityType::Polyline) {
                EXPECT_EQ(e.colour, 0) << "outline colour is by block";
                EXPECT_EQ(e.layer, 0u);
                out.push_back({e.geom.polyline.flags, {}});
            } else if (e.type == cad::EntityType::Vertex) {
                EXPECT_FALSE(out.empty());
                EXPECT_EQ(e.geom.vertex.flags, 0);
                EXPECT_EQ(e.geom.vertex.pos.z, 0);
                if (!out.empty()) out.back().vertices.push_back({e.geom.vertex.pos.x, e.geom.vertex.pos.y});
            } else {
                EXPECT_EQ(e.type, cad::EntityType::SeqEnd);
            }
        }
        return out;
    }
};

TEST_F(SymbolLibrary, DefinitionMakesANamedBlockOfPolylines) {
    Start();
    Load("SYMDEF,MH\r\n0,0,1,0,1,1,0,1,-9.999,-9.999,\r\n0,0,1,1,\r\nENDSYM\r\n");
    const auto* b = Block("SYMMH");
    ASSERT_NE(b, nullptr);
    ASSERT_NE(b->beginEntity, cad::kNone);
    ASSERT_NE(b->endEntity, cad::kNone);
    EXPECT_EQ(drawing().Text(drawing().entities[b->beginEntity].geom.text), "");   // begin entity carries no text
    auto polys = Polylines(*b);
    ASSERT_EQ(polys.size(), 2u);
    EXPECT_EQ(polys[0].flags, 1);
    EXPECT_EQ(polys[0].vertices, (std::vector<std::pair<double, double>>{{0, 0}, {1, 0}, {1, 1}, {0, 1}}));
    EXPECT_EQ(polys[1].flags, 0);
    EXPECT_EQ(polys[1].vertices, (std::vector<std::pair<double, double>>{{0, 0}, {1, 1}}));
    // polyline, 4 vertices, end; polyline, 2 vertices, end
    EXPECT_EQ(b->entities.size(), 10u);
    EXPECT_TRUE(ModelSpace().empty());
}

// Each case: the symbol file, then every block it should make with the
// vertex count of each of its polylines ("" for no such block).
TEST_F(SymbolLibrary, DefinitionsKeywordsRepeatsAndStrayOutlines) {
    const std::tuple<const char*, std::vector<std::pair<const char*, std::vector<std::size_t>>>> cases[] = {
        {"SYMDEF,TREE\r\n0,0,1,1,\r\nENDSYM\r\n\r\nSYMDEF,MH,ignored\r\n0,0,2,2,3,3,\r\n1,1,2,2,\r\nENDSYM\r\n",
         {{"SYMTREE", {2}}, {"SYMMH", {3, 2}}}},
        // Keywords are case sensitive: "symdef,1,2,3" has three commas, an outline of A.
        {"SYMDEF,A\r\nsymdef,B\r\nsymdef,1,2,3\r\nendsym\r\nENDSYM\r\n", {{"SYMA", {2}}, {"SYMB", {}}}},
        {"0,0,1,1,\r\nENDSYM\r\nSYMDEF,A\r\n0,0,1,1,\r\nENDSYM\r\n", {{"SYMA", {2}}}},   // no open block: skipped
        {"SYMDEF,A\r\n0,0,1,1,\r\nENDSYM\r\nSYMDEF,A\r\n5,5,6,6,7,7,\r\nENDSYM\r\n", {{"SYMA", {2}}}},   // the first wins
        {"SYMDEF,A\r\n0,0,1,1,\r\nENDSYM\r\n2,2,3,3,\r\n", {{"SYMA", {2, 2}}}},   // after the end: the last block
    };
    for (const auto& [file, blocks] : cases) {
        Start();
        const auto entities = drawing().entities.size();
        Load(file);
        std::size_t made = 0;
        for (const auto& [name, counts] : blocks) {
            const auto* b = Block(name);
            if (counts.empty()) {
                EXPECT_EQ(b, nullptr) << name;
                continue;
            }
            ASSERT_NE(b, nullptr) << name << " in\n" << file;
            std::vector<std::size_t> got;
            for (const auto& p : Polylines(*b)) got.push_back(p.vertices.size());
            EXPECT_EQ(got, counts) << name << " in\n" << file;
            made += 2;   // its begin and end
            for (auto n : counts) made += n + 2;
        }
        EXPECT_EQ(drawing().entities.size(), entities + made) << file;
    }
}

TEST_F(SymbolLibrary, WithoutDrawingNothingIsRead) {
    Start();
    const auto id = run->DrawingHandle;
    run->DrawingHandle = 0;
    WriteFile(dir.file("job.SYM"), "SYMDEF,A\r\nENDSYM\r\n");
    auto file = OpenForInput(dir.file("job.SYM"), true, *prompter);
    ASSERT_TRUE(file);
    run->LoadSymbolLibrary(*file);
    run->DrawingHandle = id;
    EXPECT_EQ(Block("SYMA"), nullptr);
}

} // namespace
} // namespace ostrel::test
