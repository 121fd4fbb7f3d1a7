// A file handed round on a share is often meant to stay there, for everyone who uses it.
#include "operations/addin_rules.h"
#include "platform/paths.h"

namespace qv {

std::optional<std::wstring> OwnShareFolder(const std::wstring& source) {
    if (!paths::IsNetworkPath(source)) return std::nullopt;
    return paths::FolderPart(source);
}

}  // namespace qv
