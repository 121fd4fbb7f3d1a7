#include "operations/listed_addin.h"

#include <stdexcept>

#include "startup/excel_start.h"

namespace qv {

namespace {

template <class T, class Read>
const T& Once(std::optional<T>& slot, Read read) {
    if (!slot) slot = read();
    return *slot;
}

}  // namespace

excel::AddIn& ListedAddin::Excel() const {
    if (!addin_) throw std::logic_error("ListedAddin: a property asked for after its Excel was let go");
    return *addin_;
}

bool ListedAddin::Installed() const { return Once(installed_, [&] { return Excel().Installed(); }); }
const std::wstring& ListedAddin::Name() const { return Once(name_, [&] { return Excel().Name(); }); }
const std::wstring& ListedAddin::FullName() const { return Once(fullName_, [&] { return Excel().FullName(); }); }
const std::wstring& ListedAddin::Title() const { return Once(title_, [&] { return Excel().Title(); }); }
const std::wstring& ListedAddin::Path() const { return Once(path_, [&] { return Excel().Path(); }); }
FileState ListedAddin::File() const { return Once(file_, [&] { return fs_->FileStateOf(FullName()); }); }

void ListedAddin::ReadAllAndLetGo() {
    Title();
    Name();
    FullName();
    Path();
    Installed();
    addin_ = nullptr;
}

std::vector<ListedAddin> ReadAddinList(Services& svc) {
    std::vector<ListedAddin> list;
    excel::Session excel(StartExcel(svc));
    for (auto& addin : excel::each(excel->AddIns())) {
        list.emplace_back(*addin, svc.fs);
        list.back().ReadAllAndLetGo();
    }
    excel.Quit();
    return list;
}

}  // namespace qv
