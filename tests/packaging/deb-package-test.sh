#!/usr/bin/env bash
# Builds the Debian package (lintian must pass it), unpacks it into a throwaway root and
# checks what a user would meet there: every file in its system place, the programs run,
# the manual pages render, the desktop entry and the AppStream file pass their validators.
# Exits 77 (skipped) where the Debian tools are absent.
# Usage: deb-package-test.sh SOURCE WORK-FOLDER
set -uo pipefail
source=$1 work=$2

for tool in dpkg-buildpackage dh lintian scdoc dpkg-deb man appstreamcli desktop-file-validate; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (make deb-test installs it)"; exit 77; }
done

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

rm -rf "$work"
"$source/packaging/build-deb.sh" "$source" "$work" || { echo "FAIL: the package was not built or lintian refused it"; exit 1; }
version=$(sed -n 's/^project(Tallowmark VERSION \([0-9.]*\) .*/\1/p' "$source/CMakeLists.txt")
deb=$(ls "$work"/tallowmark_"$version"_*.deb)
root=$work/root
dpkg-deb -x "$deb" "$root" || { echo "FAIL: dpkg-deb -x $deb"; exit 1; }

share=$root/usr/share
for file in usr/bin/tallowmark usr/bin/tallowmark-cli \
    usr/share/applications/tallowmark.desktop usr/share/mime/packages/tallowmark.xml \
    usr/share/icons/hicolor/scalable/apps/tallowmark.svg \
    usr/share/icons/hicolor/{16x16,32x32,48x48,256x256}/apps/tallowmark.png \
    usr/share/tallowmark/tallowmark-help.html usr/share/man/man1/tallowmark{,-cli}.1.gz \
    usr/share/bash-completion/completions/tallowmark-cli \
    usr/share/metainfo/org.example.Tallowmark.metainfo.xml; do
    [[ -f $root/$file ]] || fail "the package does not install /$file"
done

# The module that reads the file systems inside images, which the installed program finds
# from its own place: an image of zeros holds no file system, and only the module can say so.
modules=("$root"/usr/lib/*/tallowmark/tallowmark-filesystems.so)
[[ -f ${modules[0]} ]] || fail "the package does not install the module tallowmark-filesystems.so"
head -c 1048576 /dev/zero >"$work/zeros.img"
said=$("$root/usr/bin/tallowmark-cli" find --image "$work/zeros.img" 2>&1)
[[ $said == *"no file system found"* ]] || fail "the installed tallowmark-cli did not load its module: $said"

depends=$(dpkg-deb -f "$deb" Depends)
[[ $depends == *libqt6widgets6* && $depends == *libc6* && $depends == *libtsk* ]] || fail "the dependencies were not computed: $depends"

[[ $("$root/usr/bin/tallowmark-cli" --version) == "Tallowmark $version" ]] || fail "tallowmark-cli --version"

for page in tallowmark tallowmark-cli; do
    # man hands groff -ww and prints its warnings on standard error.
    rendered=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings=w -l "$share/man/man1/$page.1.gz" 2>&1 >/dev/null)
    [[ -z $rendered ]] || fail "man -l $page.1.gz: $rendered"
done

entry=$share/applications/tallowmark.desktop
report=$(desktop-file-validate "$entry" 2>&1) && [[ -z $report ]] || fail "desktop-file-validate: $report"
grep -qx 'Exec="/usr/bin/tallowmark" /dde %F' "$entry" || fail "the desktop entry does not run /usr/bin/tallowmark"

metainfo=$share/metainfo/org.example.Tallowmark.metainfo.xml
report=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli validate: $report"
grep -qF '<launchable type="desktop-id">tallowmark.desktop</launchable>' "$metainfo" ||
    fail "the AppStream file does not launch tallowmark.desktop"
newest=$(grep -o '<release version="[^"]*"' "$metainfo" | head -n 1 | cut -d'"' -f2)
[[ $newest == "$version" ]] || fail "the newest release in the AppStream file is $newest, not $version"

((failures == 0)) && echo "the package $(basename "$deb") installs and checks out"
exit $((failures > 0))
