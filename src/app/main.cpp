// Program entry. Until the main window lands, the program says what it is and exits.
#include "appinfo/TFileVersionInfo.h"

#include <cstdio>

int main() {
    celdara::TFileVersionInfo version(nullptr);
    std::printf("%s %s - %s.\n"
                "The main window is not built yet: the reply parsers and helpers are in place\n"
                "and tested (see README.md for the test command).\n",
                version.ProductName().c_str(), version.FileVersion().c_str(),
                version.FileDescription().c_str());
    return 0;
}
