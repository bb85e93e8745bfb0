#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Zuvi need.
# As root it runs apt-get; otherwise it prints the command to run.
set -euo pipefail

packages=(cmake g++ make clang-format qt6-base-dev libqt6sql6-sqlite libsqlite3-dev fonts-dejavu-core fonts-liberation2
          libcsv-dev poppler-utils)
# Importing players: mdbtools' library reads the old Access files, libcsv reads and writes CSV.
packages+=(mdbtools-dev libcsv-dev)
# Several stations on one tournament: Qt's PostgreSQL driver, and the server itself, which
# the tests start as a private cluster of their own.
packages+=(libqt6sql6-psql postgresql)
# The players' page: Qt's HTTP server (whose CMake files need the WebSockets ones), and a
# browser that the page's tests run headless.
packages+=(qt6-httpserver-dev qt6-websockets-dev chromium)
# The page's address as a QR code on the big screen.
packages+=(libqrencode-dev pkg-config)
if [[ "${ZUVI_FUZZ:-1}" == 1 ]]; then
    packages+=(clang libclang-rt-14-dev)
fi
# make package and its checks (ZUVI_PACKAGING=1, which they set): the .deb's dependencies,
# the desktop entry, the AppStream metadata and the package's lint.
if [[ "${ZUVI_PACKAGING:-0}" == 1 ]]; then
    packages+=(dpkg-dev fakeroot file desktop-file-utils appstream lintian)
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

if [[ $(id -u) -eq 0 ]]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
else
    echo "Missing packages. Install them with:" >&2
    echo "  sudo apt-get install ${missing[*]}" >&2
    exit 1
fi
