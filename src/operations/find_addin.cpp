// Finding the add-in an operation works on. Add-ins are matched by full name, never by title:
// two listed add-ins may share a title, and the step must touch the one that was asked for.
#include "operations/operations.h"
#include "operations/texts.h"
#include "platform/error.h"
#include "platform/texts.h"

namespace qv {

std::unique_ptr<excel::AddIn> FindAddinByFullName(excel::Application& app, const std::wstring& fullName) {
    for (auto& addin : excel::each(app.AddIns()))
        if (addin->FullName() == fullName) return std::move(addin);
    throw Failure(texts::kOpExcel, texts::kAddinNotListed + fullName);
}

}  // namespace qv
