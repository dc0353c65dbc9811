#include "serial/PosixThreadPriority.h"

#include <algorithm>
#include <sys/resource.h>
#include <unistd.h>

namespace celdara {

int CurrentThreadId() {
    return static_cast<int>(gettid());
}

void ApplyThreadPriority(int tid, int level) {
    // The classic offsets around normal, as nice values (lower is more urgent).
    static constexpr int kNice[] = {19, 2, 1, 0, -1, -2, -15};
    setpriority(PRIO_PROCESS, static_cast<id_t>(tid), kNice[std::clamp(level, 0, 6)]);
}

} // namespace celdara
