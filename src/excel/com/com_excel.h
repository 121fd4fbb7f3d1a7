#pragma once
// The Excel boundary over COM automation: Excel (or the stand-in) reached late-bound
// through IDispatch. The caller initialises COM on its thread.
#include <memory>

#include "excel/excel.h"

namespace qv::excel::com {

std::unique_ptr<Launcher> MakeLauncher();

}  // namespace qv::excel::com
