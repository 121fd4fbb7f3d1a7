#include "console/key_wait.h"

namespace qv::console {

bool WaitsForKey(const ConsoleFacts& facts) {
    return facts.hasWindow && facts.processes == 1 && facts.inputIsConsole;
}

}  // namespace qv::console
