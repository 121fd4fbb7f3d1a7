// Which listed add-ins each mode offers. In the complete-removal modes an add-in whose file is
// gone is left out: opening or deleting it would fail, and tidying is where such entries go.
#include "operations/addin_rules.h"

namespace qv {

bool Offers(Mode m, const ListedAddin& a, DetailsProvider& details) {
    switch (m) {
        case Mode::SwitchOn: return !a.Installed();
        case Mode::SwitchOff: return a.Installed();
        case Mode::RemoveActive:
        case Mode::RemoveInactive:
            return a.Installed() == (m == Mode::RemoveActive) && !RemovalBarOf(a, details);
        case Mode::Tidy: return IsTidyCandidate(a);
        case Mode::ShowFolder: return true;
        case Mode::Install: return false;
    }
    return false;
}

}  // namespace qv
