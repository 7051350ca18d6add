#!/usr/bin/env bash
# Configures the build folder DIR with Ninja and the CMake options given, unless it was
# configured with exactly these options (and compilers) already. A folder configured with
# others is configured afresh, its cache dropped, so that no changed option is silently
# ignored; the compiled objects stay, and only what the change touches is built again.
# Usage: scripts/configure.sh DIR [CMAKE_OPTION...]   (CC and CXX are taken into account)
set -euo pipefail
dir=$1
shift
wanted=$(printf '%q ' "CC=${CC-}" "CXX=${CXX-}" -G Ninja "$@")
stamp=$dir/.configured-with
if [[ -f $dir/build.ninja && -f $stamp && $(<"$stamp") == "$wanted" ]]; then
  exit 0
fi
rm -f "$stamp"
cmake --fresh -S . -B "$dir" -G Ninja "$@"
printf '%s' "$wanted" >"$stamp"
