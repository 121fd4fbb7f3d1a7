#include "model/workbooks.h"

#include <algorithm>

#include "model/error.h"
#include "model/name_limit.h"
#include "platform/paths.h"

namespace qv::standin {
namespace {

bool IsAddinFile(const std::wstring& path) {
    std::wstring lower = paths::FoldCase(path);
    for (const std::wstring ext : {L".xla", L".xlam"})
        if (lower.size() > ext.size() && lower.compare(lower.size() - ext.size(), ext.size(), ext) == 0) return true;
    return false;
}

}  // namespace

int Workbooks::Add() { return AddNamed(L"Book" + std::to_wstring(nextBook_++)); }

int Workbooks::Open(const std::wstring& path) {
    for (auto& w : open_)
        if (!w.fullPath.empty() && paths::EqualNoCase(w.fullPath, path)) return w.id;
    RequireOpenableName(path);
    if (!fs_.FileExists(path))
        throw Error(kErrExcel, L"'" + path +
                                   L"' could not be found. Check the spelling of the file name, and verify that "
                                   L"the file location is correct.");
    open_.push_back({nextId_++, paths::FileNamePart(path), path, IsAddinFile(path), holder_ ? holder_->Hold(path) : nullptr});
    return open_.back().id;
}

int Workbooks::AddNamed(const std::wstring& name) {
    open_.push_back({nextId_++, name, L"", false, nullptr});
    return open_.back().id;
}

void Workbooks::Close(int id) {
    auto it = std::find_if(open_.begin(), open_.end(), [&](const Workbook& w) { return w.id == id; });
    if (it == open_.end()) throw Error(kErrExcel, L"Object has been deleted.");
    open_.erase(it);
}

void Workbooks::CloseFile(const std::wstring& path) {
    std::erase_if(open_, [&](const Workbook& w) { return !w.fullPath.empty() && paths::EqualNoCase(w.fullPath, path); });
}

bool Workbooks::AnyOpen() const {
    return std::any_of(open_.begin(), open_.end(), [](const Workbook& w) { return !w.addin; });
}

const Workbook* Workbooks::Find(int id) const {
    for (auto& w : open_)
        if (w.id == id) return &w;
    return nullptr;
}

}  // namespace qv::standin
