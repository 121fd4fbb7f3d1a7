#pragma once
// IEnumVARIANT over a snapshot of a collection, as _NewEnum returns it.
#include <windows.h>
#include <oleauto.h>

#include <vector>

#include "platform/win32/handles.h"

namespace qv::standin::com {

// Takes the items; the result carries one reference.
IUnknown* NewEnumerator(std::vector<qv::win32::Variant> items);

}  // namespace qv::standin::com
