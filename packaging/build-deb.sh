#!/usr/bin/env bash
# Builds the Debian package of the checkout SOURCE in the folder OUT and checks it with
# lintian. The checkout is left as it is: its files are copied to OUT/tallowmark-VERSION
# and built there, and dpkg-buildpackage puts the .deb, .buildinfo and .changes in OUT.
# Usage: packaging/build-deb.sh [SOURCE [OUT]]   (default: . and SOURCE/build-deb)
set -euo pipefail

source=$(cd "${1:-.}" && pwd)
out=${2:-$source/build-deb}
mkdir -p "$out"
out=$(cd "$out" && pwd)

version=$(sed -n 's/^project(Tallowmark VERSION \([0-9.]*\) .*/\1/p' "$source/CMakeLists.txt")
packaged=$(dpkg-parsechangelog -l "$source/debian/changelog" -S Version)
if [[ -z $version || $packaged != "$version" ]]; then
    echo "build-deb: debian/changelog is at ${packaged:-?} but CMakeLists.txt at ${version:-?}:" \
        "add an entry to the changelog (dch -v $version)" >&2
    exit 1
fi

# The files of the checkout, modified or new ones included, never a build folder.
tree=$out/tallowmark-$version
rm -rf "$tree"
mkdir -p "$tree"
if git -C "$source" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git -C "$source" ls-files -z --cached --others --exclude-standard |
        while IFS= read -r -d '' file; do [[ -e $source/$file ]] && printf '%s\0' "$file"; done |
        tar -C "$source" --null -T - -cf - | tar -C "$tree" -xf -
else
    tar -C "$source" --exclude='./build*' --exclude=./.git -cf - . | tar -C "$tree" -xf -
fi

(cd "$tree" && DEB_BUILD_OPTIONS="nocheck ${DEB_BUILD_OPTIONS:-}" dpkg-buildpackage -us -uc -b -jauto)
rm -rf "$tree"

changes=$out/tallowmark_${version}_$(dpkg-architecture -qDEB_HOST_ARCH).changes
lintian --fail-on error,warning --display-info "$changes"
echo "build-deb: $(grep -o "tallowmark_${version}_[a-z0-9]*\.deb" "$changes" | head -n 1) is in $out"
