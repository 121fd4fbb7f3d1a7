// What may be removed completely: a .xla add-in of one's own whose file is there.
#include "fileinfo/addin_details.h"
#include "operations/addin_rules.h"
#include "operations/operations.h"

namespace qv {

std::optional<RemovalBar> RemovalBarOf(const ListedAddin& a, DetailsProvider& details) {
    if (!IsXlaName(a.Name())) return RemovalBar::NotXlaName;
    if (!a.FileExists()) return RemovalBar::FileNotThere;
    if (!IsNotMicrosoftAddin(details, a.FullName())) return RemovalBar::Microsofts;
    return std::nullopt;
}

}  // namespace qv
