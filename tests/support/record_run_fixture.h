#pragma once
// A conversion run set up for calling record handlers one by one: settings
// files in a temporary folder, the toolkit initialised, a new drawing, and
// export text opened as a file. Header-only; used by the handler tests.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cad/drawing.h"
#include "run/record_reader.h"
#include "run/run.h"
#include "support/test_support.h"

namespace ostrel::test {

// One polyline of model space as written: the header entity, its vertices.
struct WrittenPolyline {
    cad::Entity header;
    std::string layer;
    std::vector<cad::Entity> vertices;
    bool hasSeqEnd = false;
};

class RecordRunFixture {
public:
    // mainIni: the main settings file's content; the user settings file
    // points at it. The run is constructed (settings read) and a drawing made.
    explicit RecordRunFixture(const std::string& mainIni = "[EXPORT]\r\nLAYERSTYLE=0\r\n") {
        mainIni_ = dir_.file("main.ini");
        userIni_ = dir_.file("user.ini");
        WriteFile(mainIni_, mainIni);
        WriteFile(userIni_, "[OPTION]\r\ntxtDWGoverride=" + mainIni_ + "\r\n");
        prompter_ = std::make_shared<ScriptedPrompter>();
        run_ = std::make_unique<ConversionRun>(HostOptions{prompter_, nullptr, userIni_});
        run_->Construct();
        run_->tk = std::make_unique<Toolkit>();
        run_->tk->library->InitLibrary();
        run_->CreateDrawing();
    }

    ConversionRun& run() { return *run_; }
    ScriptedPrompter& prompter() { return *prompter_; }
    const TempDir& dir() const { return dir_; }
    cad::Drawing& drawing() { return run_->tk->database.Get(run_->DrawingHandle); }

    // Writes the text as an export file and opens it for reading.
    ExportFile& Open(const std::string& text) {
        const std::string path = dir_.file("export" + std::to_string(files_.size()) + ".txt");
        WriteFile(path, text);
        files_.push_back(OpenForInput(path, true, *prompter_));
        if (!files_.back()) throw std::runtime_error("cannot open " + path);
        return *files_.back();
    }

    // Reads the first line of the file and hands it to AddPolylineRecord, as
    // the record loop does for a POLY or POLY3D keyword.
    void Polyline(ExportFile& file) {
        std::string_view line = file.ReadLine();
        const bool is3D = GetCommaField(0, line) == "POLY3D";
        run_->AddPolylineRecord(line, file, is3D);
        EXPECT_TRUE(line.empty()) << "the handler leaves its line empty";
    }

    std::vector<WrittenPolyline> Polylines() {
        auto& d = drawing();
        std::vector<WrittenPolyline> out;
        for (std::uint32_t index : d.blocks[d.ModelSpace()].entities) {
            const cad::Entity& e = d.entities[index];
            if (e.type == cad::EntityType::Polyline) {
                out.push_back({e, d.layers[e.layer].name, {}, false});
            } else if (e.type == cad::EntityType::Vertex) {
                if (out.empty()) ADD_FAILURE() << "vertex before any polyline";
                else out.back().vertices.push_back(e);
            } else if (e.type == cad::EntityType::SeqEnd) {
                if (out.empty()) ADD_FAILURE() << "end of sequence before any polyline";
                else out.back().hasSeqEnd = true;
            }
        }
        return out;
    }

    // Model space's polylines in order, "LAYER#flags: x,y,z x,y,z", joined by " | ".
    std::string Shape() {
        std::string out;
        char xyz[96];
        for (const auto& p : Polylines()) {
            if (!out.empty()) out += " | ";
            out += p.layer + "#" + std::to_string(p.header.geom.polyline.flags) + ":";
            for (const auto& v : p.vertices) {
                const auto& at = v.geom.vertex.pos;
                auto clean = [](double v) { return std::fabs(v) < 1e-9 ? 0.0 : v; };   // no "-0" or "1e-14"
                std::snprintf(xyz, sizeof xyz, " %g,%g,%g", clean(at.x), clean(at.y), clean(at.z));
                out += xyz;
            }
        }
        return out;
    }

    std::vector<cad::Entity> EntitiesOf(cad::EntityType type) {
        auto& d = drawing();
        std::vector<cad::Entity> out;
        for (std::uint32_t index : d.blocks[d.ModelSpace()].entities)
            if (d.entities[index].type == type) out.push_back(d.entities[index]);
        return out;
    }

    const cad::Layer* FindLayer(const std::string& name) {
        auto& d = drawing();
        const auto i = d.FindLayer(name);
        return i == cad::kNone ? nullptr : &d.layers[i];
    }

private:
    TempDir dir_;
    std::string mainIni_, userIni_;
    std::shared_ptr<ScriptedPrompter> prompter_;
    std::unique_ptr<ConversionRun> run_;
    std::vector<std::unique_ptr<ExportFile>> files_;
};

} // namespace ostrel::test
