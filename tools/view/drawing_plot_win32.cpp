// `ostrel plot` in the Windows build, which has no drawing surface (Cairo is
// not part of it): one line on stderr and the usage status.
#include "tools/view/drawing_plot.h"

#include <cstdio>

namespace ostrel::cli {

int PlotDrawing(const std::string&, const std::string&, const std::string&) {
    std::fputs("ostrel plot: this Windows build has no drawing surface; plot the drawing with the Linux "
               "program or open it in a CAD program\n",
               stderr);
    return 2;
}

} // namespace ostrel::cli
