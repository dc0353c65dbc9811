// Thread priorities as the system knows them: a thread's own id and its nice value.
#pragma once

namespace celdara {

// The calling thread's system id.
int CurrentThreadId();

// Gives the thread `tid` the nice value of a priority level 0..6 (idle, lowest, below
// normal, normal, above normal, highest, time critical). Raising a priority needs
// privileges; a refusal is ignored.
void ApplyThreadPriority(int tid, int level);

} // namespace celdara
