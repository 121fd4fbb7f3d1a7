#pragma once
// Antivirus scanners and the indexer hold a file for a moment just after it was written or
// let go. A file step that meets such a hold (a sharing or lock violation) is tried again
// after a short pause, for a limited time.
#include <functional>

namespace qv {

class Pauser {
public:
    virtual ~Pauser() = default;
    virtual void Pause(int milliseconds) = 0;
};

struct HoldPatience {
    int totalMilliseconds = 5000;  // the pauses of one step together stay within this
    int pauseMilliseconds = 200;
};

enum class TryResult { Done, Held, Failed };

// Calls `attempt` until it is Done or Failed, pausing between tries while it is Held. Gives up
// (returning Held) when one more pause would pass `patience.totalMilliseconds`.
TryResult RetryWhileHeld(const std::function<TryResult()>& attempt, Pauser& pauser, const HoldPatience& patience);

}  // namespace qv
