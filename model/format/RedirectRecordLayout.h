#pragma once
// The REDR record: a URL the browser was redirected from. Alike in versions 4.7 and 5.2.

#include "model/format/FieldLayout.h"

namespace tallowmark::redirectrecord {

//                                               5.2   4.7  width  meaning
// The URL that was redirected, to its NUL.
inline constexpr FieldLayout kUrlText = {0x10, 0x10, 0, 0};

}  // namespace tallowmark::redirectrecord
