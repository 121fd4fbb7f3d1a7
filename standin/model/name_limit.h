#pragma once
// Excel refuses a workbook whose full name is longer than it can open, in Workbooks.Open and
// AddIns.Add alike, with its generic failure.
#include <string>

#include "excel/path_limit.h"
#include "model/error.h"

namespace qv::standin {

inline void RequireOpenableName(const std::wstring& fullName) {
    if (!excel::CanOpenFullName(fullName))
        throw Error(kErrExcel, L"'" + fullName + L"' cannot be opened: the file name is too long. Excel opens files "
                               L"whose full name has at most 218 characters.");
}

}  // namespace qv::standin
