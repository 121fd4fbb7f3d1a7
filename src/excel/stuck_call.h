#pragma once
// When the watchdog acts on a call into Excel that has not returned, and how long a wait for an
// Excel's end may last. Ticks are the system's millisecond counter, which wraps after 49.7 days,
// so every span is taken as the unsigned difference of two ticks.
#include <cstdint>

namespace qv::excel {

using Tick = std::uint32_t;

inline std::uint32_t Since(Tick from, Tick now) { return now - from; }

struct StuckCallTiming {
    int frontAfterMs = 0;  // its windows come to the front after this long
    int askAfterMs = 0;    // the person is asked after this long, and again this long after each "wait on"
    bool canAsk = false;   // false: nobody is ever asked
};

// One call (or one wait for an end) that has not returned yet.
class StuckCall {
public:
    explicit StuckCall(Tick start) : start_(start), askFrom_(start) {}
    bool FrontDue(Tick now, const StuckCallTiming& t) const { return Reached(start_, now, t.frontAfterMs); }
    bool AskDue(Tick now, const StuckCallTiming& t) const { return t.canAsk && Reached(askFrom_, now, t.askAfterMs); }
    // The answer was "wait on": the next question comes a whole askAfterMs after the answer, not
    // after the question, so a person who took long to answer is not asked again at once.
    void WaitedOn(Tick now) { askFrom_ = now; }

private:
    static bool Reached(Tick from, Tick now, int ms) { return ms <= 0 || Since(from, now) >= static_cast<std::uint32_t>(ms); }
    Tick start_;
    Tick askFrom_;
};

// The bound on a wait for an Excel to end. Time in which that Excel shows a window does not count:
// an add-in's message box during shutdown waits for a person, and is not an Excel that does not end.
class EndWaitBound {
public:
    EndWaitBound(Tick start, int limitMs) : last_(start), left_(limitMs > 0 ? static_cast<std::uint32_t>(limitMs) : 0) {}
    // The time since the previous note (or the start) passed; `windowShown`: a window was up meanwhile.
    void Note(Tick now, bool windowShown) {
        std::uint32_t spent = Since(last_, now);
        last_ = now;
        if (windowShown) return;
        left_ = spent < left_ ? left_ - spent : 0;
    }
    std::uint32_t LeftMs() const { return left_; }
    bool RanOut() const { return left_ == 0; }

private:
    Tick last_;
    std::uint32_t left_;
};

}  // namespace qv::excel
