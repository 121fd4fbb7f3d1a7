#pragma once
// IEnumVARIANT over a snapshot of a collection, as _NewEnum returns it.
#include <windows.h>
#include <oleauto.h>

#include <vector>

#include "platform/win32/handles.h"

namespace qv::standin::com {

// What _NewEnum returns: a VT_UNKNOWN holding a new enumerator over `items`.
qv::win32::Variant NewEnumerator(std::vector<qv::win32::Variant> items);

}  // namespace qv::standin::com
