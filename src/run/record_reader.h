#pragma once
// Lines and fields of the export and the other text files of a run.
// Fields are views into the line: no allocation per field.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace ostrel {

class Prompter;

// The n-th field of the line, fields separated by the delimiter; n <= 0 gives
// field 0. Empty fields count; nothing is quoted or trimmed; a field past the
// last is empty. An empty delimiter is never found (the line is field 0).
std::string_view GetField(int n, std::string_view line, std::string_view delimiter);
std::string_view GetCommaField(int n, std::string_view line);
// The lenient leading-number scan of a text: blanks anywhere, sign, one ".",
// exponent (E or D), &H / &O; 0 when there is no number or it overflows.
double LeadingNumber(std::string_view text);
double GetNumField(int n, std::string_view line);
// Count of (overlapping) occurrences, 0 for an empty find; throws
// ConversionError(Overflow) past 32767.
std::int16_t CountOccurrences(std::string_view text, std::string_view find);
// 1-based position of find in text, both upper-cased; 0 when absent; 1 for an empty find.
std::int16_t FindNoCase(std::string_view text, std::string_view find);
std::string ChangeExtension(std::string_view path, std::string_view extension);
// Text before the last path separator ("/" or "\"), "" when there is none.
std::string FolderOf(std::string_view path);

// Nearest whole number, halves to the even neighbour; throws ConversionError(Overflow)
// when the value does not fit.
std::int16_t RoundToInt16(double v);
std::int32_t RoundToInt32(double v);
// A colour index computed in 32 bits, narrowed to the toolkit's 16 bits.
// Throws ConversionError(Overflow) when it does not fit.
std::int16_t NarrowColourIndex(std::int32_t index);

// An open text file read as lines ended by CR or CR LF (a lone LF belongs to
// the line); a file without any CR is read as lines ended by LF. Bytes are
// Windows-1252 text, kept as they are. The file is read whole when opened:
// what others do to it afterwards changes nothing.
class ExportFile {
public:
    virtual ~ExportFile() = default;
    // True when no further line can be read.
    virtual bool AtEnd() const = 0;
    // The next line; throws ConversionError(EndOfFile) when at the end.
    // The view stays valid until the file is closed.
    virtual std::string_view ReadLine() = 0;
    // 1-based byte position of the next read.
    virtual std::int64_t Position() const = 0;
    // Moves the next read to a 1-based byte position (also mid-line); a
    // position before the first byte or past the end is taken as that end.
    virtual void Seek(std::int64_t position) = 0;
    virtual std::int64_t Length() const = 0;
    // The caller holds no view of the bytes before this 1-based position:
    // the file may give their memory back. Reading them again (after a Seek
    // back) reads them from the file anew.
    virtual void ReleaseBefore(std::int64_t /*position*/) {}
    // 1-based number of the line last read (for messages); 0 before the
    // first read. After a Seek, the number of the line before the position.
    virtual std::int64_t LineNumber() const = 0;
    virtual const std::string& Path() const = 0;
};

// Opens a file for line reading. Empty file: null, no message. A file that
// cannot be opened: null, and with showErrors the message
// "Error Opening " + path + CR LF + the reason, through the prompter.
std::unique_ptr<ExportFile> OpenForInput(const std::string& path, bool showErrors, Prompter& prompter);

} // namespace ostrel
