#include "platform/Terminal.h"

#include <cstdio>
#include <io.h>

namespace tallowmark::platform {

bool StandardErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

}  // namespace tallowmark::platform
