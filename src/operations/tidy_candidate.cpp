// Excel keeps listing an add-in whose file has gone until someone removes the entry.
#include "operations/addin_rules.h"
#include "operations/operations.h"

namespace qv {

bool IsTidyCandidate(const ListedAddin& a) { return a.FileMissing() && IsXlaName(a.Name()); }

}  // namespace qv
