// Placeholder command-line program: the full tool arrives with its own change.
#include <cstdio>
#include <string>

#include "ostrel/clsDWG.h"

int main(int argc, char** argv) {
    if (argc != 4 || std::string(argv[1]) != "convert") {
        std::fprintf(stderr, "usage: ostrel convert IN OUT\n");
        return 2;
    }
    try {
        ostrel::clsDWG c;
        c.SaveAsDWG(argv[2], argv[3]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        return 1;
    }
    return 0;
}
