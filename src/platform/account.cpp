#include "platform/account.h"

#include "platform/paths.h"

namespace qv {

namespace {

// A session may tell its user without the domain: then only the user parts are compared.
bool SameName(const std::wstring& own, const std::wstring& desktop) {
    if (desktop.find(L'\\') == std::wstring::npos) {
        auto slash = own.rfind(L'\\');
        return paths::EqualNoCase(slash == std::wstring::npos ? own : own.substr(slash + 1), desktop);
    }
    return paths::EqualNoCase(own, desktop);
}

}  // namespace

AccountVerdict CheckAccount(const AccountFacts& facts) {
    if (facts.desktopUser) {
        const bool bySid = !facts.ownSid.empty() && facts.desktopSid && !facts.desktopSid->empty();
        const bool same = bySid ? *facts.desktopSid == facts.ownSid : SameName(facts.own, *facts.desktopUser);
        if (!same) return AccountVerdict::OtherUser;
    }
    return facts.ownIsLocalSystem ? AccountVerdict::LocalSystem : AccountVerdict::Ok;
}

}  // namespace qv
