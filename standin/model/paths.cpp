#include "model/paths.h"

namespace qv::standin {

std::wstring ServerCommand(const std::wstring& exe) {
    return exe.find(L' ') == std::wstring::npos ? exe : L"\"" + exe + L"\"";
}

}  // namespace qv::standin
