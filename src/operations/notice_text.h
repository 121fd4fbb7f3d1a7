#pragma once
// The Japanese text of a refusal or a warning: the wizard's message, word for word, which the
// console program's Japanese output shows as well.
#include <string>

#include "platform/notice.h"

namespace qv {

std::wstring JapaneseText(const Notice& n);

// The full-width form of the path's first two characters ("D:" becomes "Ｄ："), as the drive
// refusal names a drive.
std::wstring FullWidthDrive(const std::wstring& path);

}  // namespace qv
