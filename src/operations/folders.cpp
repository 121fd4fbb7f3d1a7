// The default-folder rule shared by the removal steps. Comparisons are exact.
#include "operations/operations.h"

namespace qv {

bool IsDefaultFolder(const excel::Facts& facts, const std::wstring& folder) {
    for (const auto* d : {&facts.userFolder, &facts.libraryFolder})
        if (!d->empty() && *d == folder) return true;
    return false;
}

}  // namespace qv
