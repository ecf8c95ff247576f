#pragma once
// The conversion class: one SaveAsDWG call converts one export file.
#include <memory>
#include <string>

#include "ostrel/errors.h"
#include "ostrel/export.h"
#include "ostrel/host.h"

namespace ostrel {

class ConversionRun;
class CadLibrary;

class OSTREL_API clsDWG {
public:
    // Construction reads the settings (registry, user settings file, main settings file).
    clsDWG();
    explicit clsDWG(HostOptions host);
    ~clsDWG();
    clsDWG(const clsDWG&) = delete;
    clsDWG& operator=(const clsDWG&) = delete;

    // Converts the export strIN into the drawing strOUT (DWG when the path
    // contains ".DWG", else DXF). Throws ConversionError when the run fails.
    void SaveAsDWG(const std::string& strIN, const std::string& strOUT);

    // The run's state, for the library's own tests and hosts (its type is not
    // part of the installed headers).
    ConversionRun& run();

private:
    std::unique_ptr<ConversionRun> run_;
};

} // namespace ostrel
