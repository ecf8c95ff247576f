#pragma once
// A conversion run with its settings files in a temporary folder and a fresh
// drawing, for driving the table operations and record handlers directly.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "cad/drawing.h"
#include "run/record_reader.h"
#include "run/run.h"
#include "run/settings.h"
#include "support/test_support.h"

namespace ostrel::test {

class TablesTest : public ::testing::Test {
protected:
    TempDir dir;
    std::shared_ptr<ScriptedPrompter> prompter = std::make_shared<ScriptedPrompter>();
    std::unique_ptr<ConversionRun> run;

    std::string SettingsPath() const { return dir.file("settings.ini"); }

    // Writes the main settings file (CR LF lines) and a user settings file
    // naming it, constructs the run and creates its drawing.
    void Start(const std::string& settings = "") {
        WriteSettings(settings);
        WriteFile(dir.file("user.ini"), "[OPTION]\r\ntxtDWGoverride=" + SettingsPath() + "\r\n");
        run = std::make_unique<ConversionRun>(HostOptions{prompter, nullptr, dir.file("user.ini")});
        run->Construct();
        NewDrawing();
    }

    // Replaces the main settings file between calls.
    void WriteSettings(const std::string& settings) {
        std::string crlf;
        for (char c : settings) {
            if (c == '\n') crlf += '\r';
            crlf += c;
        }
        WriteFile(SettingsPath(), crlf);
        RevalidateSettingsCache();
    }

    // Fresh toolkit objects and a new drawing, as a conversion call makes them.
    void NewDrawing() {
        run->tk = std::make_unique<Toolkit>();
        run->tk->library->InitLibrary();
        run->CreateDrawing();
        ASSERT_NE(run->DrawingHandle, 0);
        run->LayerWildcardCount = -1;
        run->LayerWildcards.clear();
    }

    cad::Drawing& drawing() { return run->tk->database.Get(run->DrawingHandle); }

    const cad::Layer* FindLayer(const std::string& name) {
        auto i = drawing().FindLayer(name);
        return i == cad::kNone ? nullptr : &drawing().layers[i];
    }

    // Name of an entity's layer.
    std::string LayerOf(const cad::Entity& e) { return drawing().layers.at(e.layer).name; }

    // The entities of model space, in drawing order.
    std::vector<const cad::Entity*> ModelSpace() {
        std::vector<const cad::Entity*> out;
        auto& d = drawing();
        for (auto i : d.blocks[d.ModelSpace()].entities) out.push_back(&d.entities[i]);
        return out;
    }

    // The one entity of model space (fails the test when there is not exactly one).
    const cad::Entity& OnlyEntity() {
        auto all = ModelSpace();
        if (all.size() != 1) ADD_FAILURE() << "model space holds " << all.size() << " entities";
        static const cad::Entity none{};
        return all.size() == 1 ? *all[0] : none;
    }

    // A square polygon from (x0, y0) to (x1, y1), closed.
    static Polygon Square(double x0, double y0, double x1, double y1) {
        Polygon p;
        p.points = {{x0, y0, 0}, {x1, y0, 0}, {x1, y1, 0}, {x0, y1, 0}, {x0, y0, 0}, {0, 0, 0}};
        p.count = 5;
        return p;
    }

    // Messages shown so far with the given text.
    int CountShown(const std::string& text) const {
        int n = 0;
        for (auto& s : prompter->shown) n += s.text == text;
        return n;
    }
};

} // namespace ostrel::test
