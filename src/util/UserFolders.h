// Where per-user files live.
#pragma once

#include <string>

namespace celdara {

// $XDG_CONFIG_HOME when it names an absolute folder, else $HOME/.config (./.config
// without a home).
std::string UserConfigHome();

} // namespace celdara
