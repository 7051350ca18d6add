#pragma once
// Whether a standard stream goes to a person at a terminal rather than a file or pipe.

namespace tallowmark::platform {

bool StandardErrorIsTerminal();

}  // namespace tallowmark::platform
