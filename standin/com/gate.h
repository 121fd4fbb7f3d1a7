#pragma once
// What every incoming call meets before it reaches an object, as in Excel: refusal while the
// instance is busy, names resolved only in the languages it has, and the call log.
#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "model/settings.h"

namespace qv::standin::com {

// RPC_E_SERVERCALL_RETRYLATER: what a client without a message filter sees while Excel is busy.
inline constexpr HRESULT kBusy = static_cast<HRESULT>(0x8001010AL);
// RPC_E_CALL_REJECTED: what Excel answers while a person edits a cell.
inline constexpr HRESULT kRejected = static_cast<HRESULT>(0x80010001L);
// TYPE_E_UNSUPFORMAT, "Old format or invalid type library": no language pack for the caller's LCID.
inline constexpr HRESULT kNoLanguage = static_cast<HRESULT>(0x80028018L);

// Takes the process's settings; the busy time after start runs from here.
void StartGate(const Settings& settings);
// Excel is busy for a while after an add-in is switched on or a workbook is opened.
void MakeBusy();
bool IsBusy();
// A modal notice is up, as Excel's own at start-up: calls are refused as busy until it closes.
void SetNoticeOpen(bool open);
// A person edits a cell, for good: every call is rejected.
void RejectEveryCall();
// How an incoming call is refused now: kRejected, kBusy, or S_OK when it is served.
HRESULT Refusal();
// True when names and calls in `lcid` are served. LOCALE_USER_DEFAULT and LOCALE_SYSTEM_DEFAULT
// stand for the user's and the system's locale.
bool ServesLanguage(LCID lcid);
// Appends one line to the call log when there is one.
void LogCall(const wchar_t* objectClass, const std::wstring& member, unsigned flags, LCID lcid,
             const std::wstring& arguments, HRESULT result);
// The log's text for an argument value.
std::wstring ArgumentText(const VARIANT& v);

}  // namespace qv::standin::com
