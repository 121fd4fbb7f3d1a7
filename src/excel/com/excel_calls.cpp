#include "excel/com/excel_calls.h"

#include "excel/com/patience.h"

namespace qv::excel::com {

ExcelCalls::ExcelCalls(std::shared_ptr<const Instance> instance, DWORD busyBoundMs)
    : CallPolicy(texts::kOpExcel), instance_(std::move(instance)), busyBoundMs_(busyBoundMs) {}

std::shared_ptr<const ExcelCalls> ExcelCalls::Unwatched() {
    static const auto unwatched = std::make_shared<const ExcelCalls>();
    return unwatched;
}

std::shared_ptr<const ExcelCalls> ExcelCalls::Others() {
    static const auto others = std::make_shared<const ExcelCalls>(nullptr, kOthersBusyMs);
    return others;
}

LCID ExcelCalls::Lcid() const { return kCallLcid; }

HRESULT ExcelCalls::Run(const std::function<HRESULT()>& call) const {
    Watchdog::Scope watched(instance_);
    return CallPatiently(call, busyBoundMs_);
}

void ExcelCalls::Throw(const std::wstring& member, long hresult, const std::wstring& description) const {
    throw ExcelError(member, hresult, description);
}

std::wstring ToString(const Variant& v, const std::wstring& member) {
    return win32::ToString(v, member, *ExcelCalls::Unwatched());
}

bool ToBool(const Variant& v, const std::wstring& member) { return win32::ToBool(v, member, *ExcelCalls::Unwatched()); }

long ToLong(const Variant& v, const std::wstring& member) { return win32::ToLong(v, member, *ExcelCalls::Unwatched()); }

}  // namespace qv::excel::com
