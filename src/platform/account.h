#pragma once
// Whether the program runs as the user at the desktop. HKCU, %APPDATA% and Excel's user folder
// are the running account's, so a program started as another user ("run as administrator"
// with other credentials) or as LocalSystem would install into the wrong profile.
#include "platform/services.h"

namespace qv {

enum class AccountVerdict {
    Ok,
    OtherUser,    // the desktop's user is known and is another account
    LocalSystem,  // the program runs as LocalSystem and no other desktop user is known
};

// Same account by SID where both SIDs are known, whatever the names say (a session may name the
// user differently from the token's account, and a local and a domain account may share a
// name); else by DOMAIN\user without regard to letter case (by the user part alone when the
// desktop user came without a domain). Without a
// known desktop user only the LocalSystem rule applies. The front ends decide which verdicts
// they refuse.
AccountVerdict CheckAccount(const AccountFacts& facts);

}  // namespace qv
