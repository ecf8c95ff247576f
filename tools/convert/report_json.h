#pragma once
// The --report file: every export's ConversionReport as JSON.
#include <string>
#include <vector>

#include "ostrel/report.h"

namespace ostrel::cli {

std::string ReportJson(const std::vector<ConversionReport>& reports);

} // namespace ostrel::cli
