#include "fileinfo/win32/shell_details.h"

#include <utility>

#include "platform/error.h"
#include "platform/paths.h"
#include "platform/win32/dispatch.h"
#include "platform/win32/handles.h"
#include "platform/texts.h"

namespace qv::win32 {

namespace {

// The shell answers at once or not at all: no busy retry, and members named in the user's locale.
std::shared_ptr<const CallPolicy> ShellCalls() {
    static const auto policy = std::make_shared<const CallPolicy>(texts::kOpFileDetails);
    return policy;
}

// The object a call returned; empty when it returned none.
Dispatch TakeDispatch(const Dispatch& from, Variant v) {
    if (v.vt() != VT_DISPATCH || !v.get()->pdispVal) return {};
    return from.child(std::move(v), L"");
}

// A VARIANT that holds its own reference to `d`.
Variant Holding(const Dispatch& d) {
    d.raw()->AddRef();
    return Variant::FromDispatch(d.raw());
}

[[noreturn]] void NotFound(const std::wstring& what, DWORD code) {
    throw Failure(texts::kOpFileDetails, SystemMessage(code) + L" (" + what + L")", static_cast<long>(code));
}

class ShellDetails : public FileDetails {
public:
    ShellDetails(Dispatch shell, Dispatch folder, Dispatch item, const std::wstring& name)
        : shell_(std::move(shell)), folder_(std::move(folder)), item_(std::move(item)), name_(name) {}

    // GetDetailsOf with the file name in place of an item gives the column's header.
    std::wstring Header(int column) override { return Details(Variant::FromString(name_), column); }

    std::wstring Value(int column) override { return Details(Holding(item_), column); }

    // Whether GetDetailsOf works at all on this system; throws ComError when it does not.
    void Try() { folder_.call(L"GetDetailsOf", name_, 0); }

private:
    std::wstring Details(Variant what, int column) {
        Variant out;
        try {
            out = folder_.call(L"GetDetailsOf", std::move(what), column);
        } catch (const ComError& e) {
            throw Failure(texts::kOpFileDetails, SystemMessage(static_cast<DWORD>(e.HResult())), e.HResult());
        }
        if (out.vt() != VT_BSTR && FAILED(VariantChangeType(out.get(), out.get(), 0, VT_BSTR))) return L"";
        BSTR b = out.get()->bstrVal;
        return b ? std::wstring(b, SysStringLen(b)) : std::wstring();
    }

    // Released in reverse order: item, folder, then the shell object.
    Dispatch shell_;
    Dispatch folder_;
    Dispatch item_;
    std::wstring name_;
};

}  // namespace

std::unique_ptr<FileDetails> OpenShellDetails(const std::wstring& folder, const std::wstring& fileName) {
    if (folder.empty()) NotFound(fileName, ERROR_PATH_NOT_FOUND);
    CLSID clsid{};
    if (FAILED(CLSIDFromProgID(L"Shell.Application", &clsid))) return nullptr;
    ComPtr<IDispatch> created;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IDispatch, created.put_void()))) return nullptr;
    Dispatch shell(std::move(created), ShellCalls());
    try {
        // "C:" alone would name the drive's current folder, not its root.
        Dispatch folderObj = TakeDispatch(shell, shell.call(L"NameSpace", paths::WithRootSeparator(folder)));
        if (!folderObj) NotFound(folder, ERROR_PATH_NOT_FOUND);
        Dispatch item = TakeDispatch(folderObj, folderObj.call(L"ParseName", fileName));
        if (!item) NotFound(folder + L"\\" + fileName, ERROR_FILE_NOT_FOUND);
        auto details = std::make_unique<ShellDetails>(std::move(shell), std::move(folderObj), std::move(item), fileName);
        details->Try();
        return details;
    } catch (const ComError&) {
        // The shell cannot tell this file's details here; the caller falls back.
        return nullptr;
    }
}

}  // namespace qv::win32
