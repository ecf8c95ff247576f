#pragma once
// The trim pass: reopens the written drawing, builds the paper-space sheet
// and saves it again over the same file.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ostrel/host.h"
#include "run/form_window.h"
#include "trim/vd_control.h"

namespace ostrel {

class frmDWGTrim {
public:
    // progress may be null (no progress shown); window, the form's window,
    // may be null (nothing shown on screen).
    explicit frmDWGTrim(ProgressSink* progress = nullptr, FormWindowCalls* window = nullptr)
        : VD(window), progress_(progress), window_(window) {}
    void TrimDWG(const std::string& strOUT, double dblScale, double dblRotation);
    // The same pass on a drawing held in memory instead of the file read back:
    // drawing is what would be written to strOUT, in its release. True when
    // the sheet was built and the drawing saved over strOUT. Otherwise (the
    // pass ended before its save, or failed: its error is raised) nothing was
    // written and drawing holds what it held on entry. drawing always comes
    // back.
    bool TrimDWG(std::unique_ptr<cad::Drawing>& drawing, const std::string& strOUT, double dblScale,
                 double dblRotation);

    // The layer names the conversion gave. Releases before R2000 store layer
    // names upper-cased; the pass decides (title block, trim frame, fill) on
    // the names given, so a drawing is treated alike in every release.
    void LayerNamesGiven(std::vector<std::string> names) { layerNames_ = std::move(names); }
    // The drawing TrimDWG is given stands as cad::NormalizeForSave left it
    // (cad::AsReadBack): the save repairs only what the pass changed.
    void DrawingNormalised() { drawingNormalised_ = true; }

    // The drawing control the pass works through (hosts and tests reach the
    // document through it, as the form's controls are reachable).
    trim::vdControl VD;
    const std::string& Caption() const { return caption_; }

    // The version index of a version text: the first of " 2.5", " 2.6", " 9",
    // " 10", " 11", " 13", " 14" that the text contains (case ignored) gives
    // 0 to 6; anything else 7.
    static void VersionIndex(std::string_view versionText, std::int32_t& index);

    struct Corner {
        double x = 0, y = 0;
    };

private:
    // Steps 5 to 10 on the open document; true when it was saved.
    bool BuildAndSave(const std::string& strOUT, double s, double dblRotation);

    // The form's progress bar: its maximum and value, shown through the sink.
    struct ProgressBar {
        double max = 100;
        double value = 0;
    };

    void MeasureFrames(Corner& trimMin, Corner& trimMax, Corner& titleMin, Corner& titleMax, bool& found);
    void ExtendBox(const trim::vdEntity& polyline, Corner& min, Corner& max);
    void DeleteViewports();
    void BuildSheet(const Corner& trimMin, const Corner& trimMax, const Corner& titleMin, const Corner& titleMax,
                    double s, double dblRotation);

    ProgressSink* progress_;
    FormWindowCalls* window_;
    ProgressBar progressBar1_;
    bool progressStarted_ = false;
    std::string caption_;
    std::vector<std::string> layerNames_;
    bool drawingNormalised_ = false;
};

} // namespace ostrel
