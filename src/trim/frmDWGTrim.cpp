// Placeholder: the trim pass arrives with its own change.
#include "trim/frmDWGTrim.h"

namespace ostrel {
void frmDWGTrim::TrimDWG(const std::string&, double, double) {}
} // namespace ostrel
