#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian packages that building (and, with "test", testing) needs,
# only when some are missing. As root it runs apt-get; otherwise it uses sudo,
# or says which line to run.
set -euo pipefail

packages=(cmake ninja-build g++ qt6-base-dev qt6-serialport-dev libqt6serialport6
          libgl-dev libcli11-dev fonts-dejavu-core fonts-liberation2 qt6-translations-l10n)
# The package: its manual pages, dependencies, and the checks of what it holds.
packaging=(help2man dpkg-dev file lintian desktop-file-utils appstream)
# Windows: the cross compiler and Wine to run what it builds; GoogleTest's sources.
windows=(g++-mingw-w64-x86-64-posix wine64 libgtest-dev libgmock-dev)
case "${1:-}" in
    test) packages+=(libgtest-dev libgmock-dev libbenchmark-dev "${packaging[@]}" "${windows[@]}") ;;
    package) packages+=("${packaging[@]}") ;;
    windows) packages+=("${windows[@]}") ;;
esac

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    sudo=()
elif command -v sudo >/dev/null 2>&1; then
    sudo=(sudo)
else
    echo "Run as root: apt-get update && apt-get install -y ${missing[*]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
