#pragma once
// Rows of the modes that list Excel's add-ins.
#include "excel/excel.h"
#include "window/wizard.h"

namespace qv {

// Grows udtADDINROW to indices 0..i (keeping what it holds) and stores the add-in's Title,
// then its FullName, in element i.
void SetAddinRow(Context& c, long i, excel::AddIn& addin);

}  // namespace qv
