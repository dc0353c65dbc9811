#include "util/UserFolders.h"

#include <cstdlib>

namespace celdara {

std::string UserConfigHome() {
    // A relative XDG_CONFIG_HOME is invalid by the base-directory rules and is ignored.
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/')
        return xdg;
    const char* home = std::getenv("HOME");
    return std::string(home && home[0] ? home : ".") + "/.config";
}

} // namespace celdara
