// The benchmark's survey generator: repeatable exports of the asked size,
// continuation records the conversion joins, and a manifest that matches
// the drawing a conversion really makes of the export.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "../bench/survey_generator.h"
#include "cad/drawing.h"
#include "run/run.h"
#include "run/settings.h"
#include "support/test_support.h"

using namespace ostrel::bench;

namespace {

struct Generated {
    std::string exportText;
    std::string symbols;
    SurveySettings settings;
    SurveyModel model{settings};
};

// Runs the generator into memory; the model is copied out with its settings.
std::unique_ptr<Generated> Generate(std::uint64_t records, std::uint64_t seed, bool byEntity = true) {
    auto g = std::make_unique<Generated>();
    GeneratorOptions o;
    o.records = records;
    o.seed = seed;
    o.byEntity = byEntity;
    std::size_t pieces = 0;
    SurveyGenerator gen(o, [&](std::string_view bytes) {
        g->exportText.append(bytes);
        ++pieces;
    });
    gen.Run();
    EXPECT_GE(pieces, 1u);
    g->symbols = gen.SymbolFile();
    g->settings = gen.Settings();
    g->model = gen.model;
    return g;
}

std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        out.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return out;
}

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    for (;;) {
        auto comma = line.find(',', start);
        out.push_back(line.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (comma == std::string_view::npos) return out;
        start = comma + 1;
    }
}

} // namespace

// ------------------------------------------------------------------ export

TEST(SurveyExport, SameSeedGivesTheSameBytesAndAnotherSeedOthers) {
    auto a = Generate(5000, 7), b = Generate(5000, 7), c = Generate(5000, 8);
    EXPECT_EQ(a->exportText, b->exportText);
    EXPECT_NE(a->exportText, c->exportText);
    EXPECT_EQ(a->symbols, b->symbols);
}

TEST(SurveyExport, HoldsExactlyTheAskedRecordsInASurveysProportions) {
    for (std::uint64_t n : {1ull, 17ull, 1000ull, 20000ull}) {
        auto g = Generate(n, 3);
        auto lines = Lines(g->exportText);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines[0], "TALVERO");
        EXPECT_EQ(lines.size() - 1, n) << n;
        EXPECT_EQ(g->model.records, n);
        EXPECT_TRUE(g->exportText.size() >= 2 && g->exportText.substr(g->exportText.size() - 2) == "\r\n");
    }
    auto g = Generate(20000, 3);
    std::map<std::string, double> share;
    auto lines = Lines(g->exportText);
    for (std::size_t i = 1; i < lines.size(); ++i) share[std::string(Fields(lines[i])[0])] += 1.0 / 20000;
    const std::pair<double, double> shares[] = {{share["TRI"], 0.40}, {share["POINT"], 0.14}, {share["SYM"], 0.08},
        {share["CIRCLE"], 0.02}, {share["POLY"] + share["POLY3D"], 0.22}, {share["TEXT"] + share["TEXT3D"], 0.14}};
    for (auto [got, expected] : shares) EXPECT_NEAR(got, expected, 0.001);
    EXPECT_GT(share["POLY3D"], share["POLY"]);   // contours carry most of the vertices
}

// ----------------------------------------------- against a real conversion

// The manifest promises what the peer writes; it must be what Ostrel makes
// (which holds the generator's own copy of the layer, colour, contour and
// linetype rules to the conversion's).
TEST(SurveyAgainstConversion, TheConversionMakesTheManifestsEntitiesLayersAndLinetypes) {
    for (bool byEntity : {true, false}) {
        auto g = Generate(4000, 9, byEntity);
        ostrel::test::TempDir dir;
        std::filesystem::create_directories(dir.path() / "styles");
        ostrel::test::WriteFile(dir.file("survey.txt"), g->exportText);
        ostrel::test::WriteFile(dir.file("survey.SYM"), g->symbols);
        ostrel::test::WriteFile(dir.file("settings.ini"), g->settings.MainIni());
        ostrel::test::WriteFile((dir.path() / "styles" / "style.lin").string(), g->settings.StyleFile());
        ostrel::test::WriteFile(dir.file("user.ini"),
                                "[OPTION]\r\ntxtDWGoverride=" + dir.file("settings.ini") + "\r\n");
        ostrel::RevalidateSettingsCache();

        auto prompter = std::make_shared<ostrel::test::ScriptedPrompter>();
        ostrel::ConversionRun run(ostrel::HostOptions{prompter, nullptr, dir.file("user.ini")});
        run.Construct();
        std::map<std::string, std::uint64_t> kinds;
        std::map<std::string, std::uint64_t> groups;   // kind|layer|colour
        std::map<std::string, int> layerColours;
        std::size_t linetypes = 0;
        bool saved = false;
        run.beforeSave = [&](ostrel::cad::Drawing& d) {
            saved = true;
            for (auto i : d.blocks[d.ModelSpace()].entities) {
                const auto& e = d.entities[i];
                std::string kind = ostrel::cad::EntityTypeName(e.type);
                ++kinds[kind];
                if (e.type == ostrel::cad::EntityType::Vertex || e.type == ostrel::cad::EntityType::SeqEnd) continue;
                int colour = e.colour == ostrel::cad::kColourByLayer ? -1 : e.colour;
                ++groups[kind + "|" + d.layers[e.layer].name + "|" + std::to_string(colour)];
            }
            for (auto& l : d.layers) layerColours[l.name] = l.colour;
            linetypes = d.linetypes.size();
        };
        run.SaveAsDWG(dir.file("survey.txt"), dir.file("out.dxf"));
        ASSERT_TRUE(saved) << byEntity;
        EXPECT_TRUE(prompter->shown.empty()) << prompter->shown.front().text;

        for (int k = 0; k < kKinds; ++k) {
            std::string name = KindName(static_cast<Kind>(k));
            EXPECT_EQ(kinds[name], g->model.kindCount[k]) << name << " byent " << byEntity;
        }
        std::map<std::string, std::uint64_t> expected;
        for (auto& gr : g->model.groups)
            expected[std::string(KindName(gr.kind)) + "|" + gr.layer + "|" + std::to_string(gr.colour)] += gr.count;
        EXPECT_EQ(groups, expected) << "byent " << byEntity;
        for (auto& l : g->model.layers) {
            ASSERT_TRUE(layerColours.count(l.name)) << l.name;
            if (l.colour >= 1 && l.colour <= 255) {
                EXPECT_EQ(layerColours[l.name], l.colour) << l.name;
            }
        }
        EXPECT_EQ(layerColours.size(), g->model.layers.size() + 1);   // and layer "0"
        EXPECT_EQ(linetypes, g->model.linetypes.size() + 3);          // and ByBlock, ByLayer, Continuous
    }
}
