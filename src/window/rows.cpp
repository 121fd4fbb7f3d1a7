#include "platform/error.h"
#include "window/wizard.h"

namespace qv {

long SelectedItemData(Context& c) {
    int row = c.ui.ListIndex();
    return row < 0 ? -1 : c.ui.ListItemData(row);
}

std::wstring GetAddinRowFullName(Context& c, long index) {
    if (index < 0 || index >= static_cast<long>(c.st.udtADDINROW.size()))
        throw Failure(L"アドイン一覧の参照", L"index out of range", index);
    return c.st.udtADDINROW[static_cast<size_t>(index)].FullName;
}

std::wstring GetSelectedFile(Context& c, long index) {
    if (index < 0 || index >= static_cast<long>(c.st.strSELFILE.size()))
        throw Failure(L"アドインファイル一覧の参照", L"index out of range", index);
    return c.st.strSELFILE[static_cast<size_t>(index)].Path;
}

}  // namespace qv
