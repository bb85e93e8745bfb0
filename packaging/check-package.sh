#!/usr/bin/env bash
# Checks the .deb that `make package` built, as far as a machine without a desktop can:
# the desktop entry and the AppStream metadata validate, the control fields and the file
# list are right, the packaged program unpacked into a temporary root answers --version,
# --help and an unknown option, and lintian reports no error.
# Usage: check-package.sh BUILD_DIR   (the folder in which cpack wrote zuvi_*.deb)
set -euo pipefail

build=${1:?usage: check-package.sh BUILD_DIR}
app_id=org.zuvi.Zuvi

fail() {
    echo "check-package: $*" >&2
    exit 1
}

shopt -s nullglob
debs=("$build"/zuvi_*.deb)
[[ ${#debs[@]} -eq 1 ]] || fail "expected one zuvi_*.deb in $build, found ${#debs[@]}"
deb=${debs[0]}
echo "Checking $deb"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

# The control fields.
field() { dpkg-deb --field "$deb" "$1"; }
[[ $(field Package) == zuvi ]] || fail "package name is '$(field Package)'"
[[ $(field Section) == misc ]] || fail "section is '$(field Section)'"
[[ $(field Maintainer) =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] ||
    fail "maintainer '$(field Maintainer)' is not 'Name <email>'"
[[ -n $(field Description) ]] || fail "no description"
depends=$(field Depends)
# fonts-liberation2 and the SQLite driver are named by hand; the Qt libraries and SQLite
# must come from dpkg-shlibdeps.
for needed in fonts-liberation2 libqt6sql6-sqlite libqt6widgets6 libqt6sql6 libsqlite3-0 libc6; do
    [[ ", $depends," == *", $needed"[\ ,]* ]] || fail "Depends lacks $needed: $depends"
done

# The files, where the freedesktop.org and Debian conventions want them.
contents=$(dpkg-deb --contents "$deb" | awk '{print $NF}')
expected=(
    ./usr/bin/zuvi
    ./usr/share/applications/$app_id.desktop
    ./usr/share/metainfo/$app_id.metainfo.xml
    ./usr/share/man/man1/zuvi.1.gz
    ./usr/share/doc/zuvi/copyright
    ./usr/share/doc/zuvi/changelog.Debian.gz
    ./usr/share/icons/hicolor/scalable/apps/$app_id.svg
)
for size in 16 22 24 32 48 64 128 256; do
    expected+=("./usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png")
done
for file in "${expected[@]}"; do
    grep -qxF "$file" <<<"$contents" || fail "the package lacks $file"
done
echo "Files: ${#expected[@]} expected files present"

# Unpacked into a temporary root, never installed on this machine.
dpkg -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/$app_id.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/$app_id.metainfo.xml"

zuvi=$root/usr/bin/zuvi
# No display is needed for the command line: run it without one.
version_line=$(env -u DISPLAY -u WAYLAND_DISPLAY "$zuvi" --version)
package_version=$(field Version)
[[ $version_line == "zuvi ${package_version%-*}" ]] ||
    fail "--version says '$version_line', the package is $package_version"
# The whole text first: grep -q leaves at its first match, and a help text longer than one
# buffer would then end the program with SIGPIPE, which pipefail counts as a failure.
help_text=$(env -u DISPLAY -u WAYLAND_DISPLAY "$zuvi" --help)
grep -q -- '--version' <<<"$help_text" ||
    fail "--help does not list --version"
status=0
env -u DISPLAY -u WAYLAND_DISPLAY "$zuvi" --no-such-option 2>/dev/null || status=$?
[[ $status -eq 2 ]] || fail "an unknown option gave exit status $status, not 2"
echo "Packaged binary: '$version_line'"

lintian --fail-on error "$deb" ||
    fail "lintian reports an error"
echo "Package checks passed"
