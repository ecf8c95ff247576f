#pragma once
// The --report file: every export's ConversionReport as JSON.
#include <string>
#include <vector>

#include "ostrel/report.h"

namespace ostrel::cli {

// One export's entry: what the library reported and the program's verdict.
struct ExportReport {
    ConversionReport report;
    std::string status;   // "converted", "messages" or "failed"
    std::string reason;   // failed: why nothing was written
};

std::string ReportJson(const std::vector<ExportReport>& reports);

} // namespace ostrel::cli
