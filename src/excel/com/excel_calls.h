#pragma once
// How the program calls Excel through the generic IDispatch client: refusals while Excel is busy
// are retried, members are named in US English as VBA names them, failures are ExcelError, and
// the calls into an instance of the program's own are watched.
#include <memory>

#include "excel/com/patience.h"
#include "excel/com/watchdog.h"
#include "excel/excel.h"
#include "platform/win32/dispatch.h"

namespace qv::excel::com {

using win32::ComPtr;
using win32::Dispatch;
using win32::Enumerator;
using win32::MemberIds;
using win32::Missing;
using win32::Named;
using win32::Variant;
using win32::each;

class ExcelCalls final : public win32::CallPolicy {
public:
    // `instance`: the Excel of the program's own behind the objects, whose calls its watchdog
    // watches; null for calls that are not watched.
    // `busyBoundMs`: how long a call refused as busy is retried.
    explicit ExcelCalls(std::shared_ptr<const Instance> instance = nullptr, DWORD busyBoundMs = kBusyRetryMs);
    // Calls nobody watches: Excel's own dialogs, over which a person may take long.
    static std::shared_ptr<const ExcelCalls> Unwatched();
    // Calls to an Excel the program did not start: unwatched, and given only a short while when
    // refused as busy.
    static std::shared_ptr<const ExcelCalls> Others();

    LCID Lcid() const override;
    HRESULT Run(const std::function<HRESULT()>& call) const override;

private:
    void Throw(const std::wstring& member, long hresult, const std::wstring& description) const override;

    std::shared_ptr<const Instance> instance_;
    DWORD busyBoundMs_;
};

// Conversions of Excel's results; a value that does not convert fails as ExcelError.
std::wstring ToString(const Variant& v, const std::wstring& member);
bool ToBool(const Variant& v, const std::wstring& member);
long ToLong(const Variant& v, const std::wstring& member);

}  // namespace qv::excel::com
