#pragma once
// The trim pass: reopens the written drawing, builds the paper-space sheet
// and saves it again over the same file.
#include <string>

#include "ostrel/host.h"

namespace ostrel {

class frmDWGTrim {
public:
    // progress may be null (no progress shown).
    explicit frmDWGTrim(ProgressSink* progress = nullptr) : progress_(progress) {}
    void TrimDWG(const std::string& strOUT, double dblScale, double dblRotation);

private:
    ProgressSink* progress_;
};

} // namespace ostrel
