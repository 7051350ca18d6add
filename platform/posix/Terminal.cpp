#include "platform/Terminal.h"

#include <unistd.h>

namespace tallowmark::platform {

bool StandardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

}  // namespace tallowmark::platform
