// TrimDWG: the order of the trim pass's steps, and the version index of the
// second save.
#include "trim/frmDWGTrim.h"

#include <cmath>

#include "run/record_reader.h"

namespace ostrel {

namespace {

// The progress display ends with the pass, whichever way it ends.
struct FinishProgress {
    ProgressSink* sink;
    bool& started;
    ~FinishProgress() {
        if (started && sink) sink->Finish();
        started = false;
    }
};

} // namespace

void frmDWGTrim::TrimDWG(const std::string& strOUT, double dblScale, double dblRotation) {
    // 1. A scale that is not above zero (NaN included) ends the pass untouched.
    if (!(dblScale > 0)) return;
    // 2.
    dblScale = 1 / dblScale;
    // 3.
    caption_ = VD.TitleText();
    if (window_) window_->SetCaption(caption_);
    FinishProgress finish{progress_, progressStarted_};
    // 4. The result is not examined: an open that fails leaves an empty
    // document, whose empty model space ends the pass at step 7.
    VD.Document().OpenDocument(strOUT, 0, 0);
    if (VD.Document().IsOpen()) VD.Document().RestoreLayerNames(layerNames_);
    BuildAndSave(strOUT, dblScale, dblRotation);
}

bool frmDWGTrim::TrimDWG(std::unique_ptr<cad::Drawing>& drawing, const std::string& strOUT, double dblScale,
                         double dblRotation) {
    if (!(dblScale > 0) || !drawing) return false;
    dblScale = 1 / dblScale;
    caption_ = VD.TitleText();
    if (window_) window_->SetCaption(caption_);
    FinishProgress finish{progress_, progressStarted_};
    auto& doc = VD.Document();
    doc.Adopt(std::move(drawing), strOUT);
    bool saved = false;
    try {
        doc.Checkpoint(drawingNormalised_);
        doc.RestoreLayerNames(layerNames_);
        saved = BuildAndSave(strOUT, dblScale, dblRotation);
    } catch (...) {
        doc.Rollback();
        drawing = doc.Release();
        throw;
    }
    if (!saved) doc.Rollback();
    drawing = doc.Release();
    return saved;
}

bool frmDWGTrim::BuildAndSave(const std::string& strOUT, double dblScale, double dblRotation) {
    // 5.
    VD.Commands().Zoom("E", "USER", "USER");
    // 6.
    Corner trimMin, trimMax, titleMin, titleMax;
    bool found = false;
    MeasureFrames(trimMin, trimMax, titleMin, titleMax, found);
    // 7.
    if (!found) return false;
    // 8.
    DeleteViewports();
    // 9.
    BuildSheet(trimMin, trimMax, titleMin, titleMax, dblScale, dblRotation);
    // 10.
    std::int32_t index = 7;
    VersionIndex(VD.Document().VersionText(), index);
    return VD.Document().SaveDocument(strOUT, index) != 0;
}

void frmDWGTrim::VersionIndex(std::string_view versionText, std::int32_t& index) {
    static constexpr std::string_view rows[] = {" 2.5", " 2.6", " 9", " 10", " 11", " 13", " 14"};
    for (std::int32_t i = 0; i < 7; ++i) {
        if (FindNoCase(versionText, rows[i]) > 0) {
            index = i;
            return;
        }
    }
    index = 7;
}

} // namespace ostrel
