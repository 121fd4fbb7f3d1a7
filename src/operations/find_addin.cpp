// Finding the add-in behind a list row. Rows are matched by full name, never by title:
// two listed add-ins may share a title, and the step must touch the one the user picked.
#include "operations/operations.h"
#include "platform/error.h"
#include "window/texts.h"

namespace qv {

std::unique_ptr<excel::AddIn> FindAddinByFullName(excel::Application& app, const std::wstring& fullName) {
    for (auto& addin : excel::each(app.AddIns()))
        if (addin->FullName() == fullName) return std::move(addin);
    throw Failure(texts::kOpExcel, texts::kAddinNotListed + fullName);
}

std::wstring SelectedAddinFullName(Context& c) {
    return GetAddinRowFullName(c, SelectedItemData(c));
}

}  // namespace qv
