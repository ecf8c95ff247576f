#pragma once
// Checks of a conversion's paths made before anything is converted: an
// output that would replace an export or that is not a drawing's name, a
// folder whose name makes a .dxf drawing DWG, a report that cannot be
// written. Each gives the line to show, or "" when the path is fine.
#include <string>
#include <vector>

namespace ostrel::cli {

// The single form's OUT against its input.
std::string RefusedOutput(const std::vector<std::string>& inputs, const std::string& out);
// A drawing path whose extension says DXF but which the path makes DWG (the
// library writes DWG when the upper-cased path holds ".DWG"): names the
// part of the path that decides.
std::string DwgByFolder(const std::string& out);
// An output that is one of the inputs (same file).
bool IsOneOf(const std::string& out, const std::vector<std::string>& inputs);
std::string ReportPathProblem(const std::string& path);

} // namespace ostrel::cli
