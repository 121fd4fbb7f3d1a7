#include "platform/failure_info.h"

#include <exception>

#include "platform/error.h"

namespace qv {

namespace {

// std::exception messages are narrow; keep ASCII and mark everything else.
std::wstring Widen(const char* s) {
    std::wstring r;
    for (; s && *s; ++s) {
        unsigned char c = static_cast<unsigned char>(*s);
        r.push_back(c < 0x80 ? static_cast<wchar_t>(c) : L'?');
    }
    return r;
}

}  // namespace

FailureInfo DescribeFailure(const Failure& f) { return {f.What(), f.Detail(), f.Code()}; }

FailureInfo DescribeComError(const ComError& e) {
    return {e.Operation() + L" (" + e.Member() + L")", e.Description(), e.HResult()};
}

FailureInfo DescribeCurrentException() {
    try {
        throw;
    } catch (const Failure& f) {
        return DescribeFailure(f);
    } catch (const ComError& e) {
        return DescribeComError(e);
    } catch (const std::exception& e) {
        return {L"", Widen(e.what()), 0};
    } catch (...) {
        return {};
    }
}

std::wstring HexCode(long code) {
    static const wchar_t digits[] = L"0123456789ABCDEF";
    unsigned long v = static_cast<unsigned long>(code) & 0xFFFFFFFFUL;
    std::wstring r = L"0x00000000";
    for (int i = 9; i >= 2; --i, v >>= 4) r[i] = digits[v & 0xF];
    return r;
}

}  // namespace qv
