// Placeholder: the record reader arrives with its own change.
#include "convert/record_reader.h"

#include "ostrel/errors.h"

namespace ostrel {
std::string_view GetField(int, std::string_view, std::string_view) { return {}; }
std::string_view GetCommaField(int n, std::string_view line) { return GetField(n, line, ","); }
double LeadingNumber(std::string_view) { return 0; }
double GetNumField(int n, std::string_view line) { return LeadingNumber(GetCommaField(n, line)); }
std::int16_t CountOccurrences(std::string_view, std::string_view) { return 0; }
std::int16_t FindNoCase(std::string_view, std::string_view) { return 0; }
std::string ChangeExtension(std::string_view path, std::string_view) { return std::string(path); }
std::string FolderOf(std::string_view) { return {}; }
std::int16_t RoundToInt16(double) { return 0; }
std::int32_t RoundToInt32(double) { return 0; }
std::unique_ptr<ExportFile> OpenForInput(const std::string&, bool, Prompter&) { return nullptr; }
} // namespace ostrel
