#include "platform/hold_retry.h"

#include <algorithm>

namespace qv {

TryResult RetryWhileHeld(const std::function<TryResult()>& attempt, Pauser& pauser, const HoldPatience& patience) {
    const int pause = std::max(1, patience.pauseMilliseconds);
    int paused = 0;
    for (;;) {
        TryResult r = attempt();
        if (r != TryResult::Held || paused + pause > patience.totalMilliseconds) return r;
        pauser.Pause(pause);
        paused += pause;
    }
}

}  // namespace qv
