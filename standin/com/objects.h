#pragma once
// The automation objects: Application, Workbooks, Workbook, AddIns, AddIn. Each factory returns
// an object that carries one reference.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include "com/host.h"

namespace qv::standin::com {

IDispatch* NewApplication(Host& host);
IDispatch* NewWorkbooks(Host& host);
IDispatch* NewWorkbook(Host& host, int id);
IDispatch* NewAddIns(Host& host);
IDispatch* NewAddIn(Host& host, int id);

}  // namespace qv::standin::com
