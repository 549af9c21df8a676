#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian packages that building (and, with "test", testing) needs,
# only when some are missing. As root it runs apt-get; otherwise it uses sudo,
# or says which line to run. Then every command the scripts, CMake and the tests
# run must be on the path: one missing names itself and its package, and fails.
set -euo pipefail

# Each set: packages, and the commands they must bring as "command:package".
# gettext compiles the catalogues of po/; locales and libc-l10n give the Polish locale
# and the system's reasons in Polish.
packages=(cmake ninja-build g++ qt6-base-dev qt6-serialport-dev libqt6serialport6
          libgl-dev libcli11-dev nlohmann-json3-dev libutfcpp-dev fonts-dejavu-core fonts-liberation2 qt6-translations-l10n
          gettext locales libc-l10n)
commands=(cmake:cmake ninja:ninja-build g++:g++ msgfmt:gettext xgettext:gettext
          locale-gen:locales)
# The package: its manual pages, dependencies, and the checks of what it holds.
packaging=(help2man liblocale-gettext-perl dpkg-dev file lintian desktop-file-utils appstream
           systemd)
packaging_commands=(help2man:help2man gzip:gzip cpack:cmake dpkg-buildflags:dpkg-dev
                    dpkg-deb:dpkg desktop-file-validate:desktop-file-utils
                    appstreamcli:appstream lintian:lintian file:file
                    systemd-analyze:systemd)
# Windows: the cross compiler and Wine to run what it builds; GoogleTest's sources.
# On Debian 12 the "wine" command comes from the package wine, the 64-bit Wine
# itself from wine64.
windows=(g++-mingw-w64-x86-64-posix wine wine64 libgtest-dev libgmock-dev)
windows_commands=(x86_64-w64-mingw32-g++-posix:g++-mingw-w64-x86-64-posix wine:wine
                  wineserver:wine wineboot:wine script:bsdutils timeout:coreutils)
# Tests: GoogleTest and Benchmark, clang with libFuzzer for the fuzz targets, ser2net
# in front of the emulator for printers on the network, a screen of its own for the
# windowed program under Wine, tmux for an interactive bash that tries the completion,
# LibreOffice Calc to take an exported CSV through a spreadsheet and back, and
# Python's jsonschema to hold kalvero-cli's JSON to its schema.
testing=(libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev ser2net xvfb tmux
         libreoffice-calc-nogui python3-jsonschema)
testing_commands=(ctest:cmake clang++:clang mount:mount umount:mount setpriv:util-linux
                  ser2net:ser2net Xvfb:xvfb tmux:tmux soffice:libreoffice-calc-nogui)
# Looking at the windows as a user and as assistive technology does: a screen of its
# own, a window manager to draw captions, clicks, screenshots, and an AT-SPI client.
screens=(xvfb twm xdotool imagemagick at-spi2-core gir1.2-atspi-2.0 python3-gi dbus)
screens_commands=(xvfb-run:xvfb twm:twm xdotool:xdotool import:imagemagick
                  dbus-run-session:dbus python3:python3-gi)
case "${1:-}" in
    screens) packages+=("${screens[@]}"); commands+=("${screens_commands[@]}") ;;
    test) packages+=("${testing[@]}" "${packaging[@]}" "${windows[@]}")
          commands+=("${testing_commands[@]}" "${packaging_commands[@]}" "${windows_commands[@]}") ;;
    package) packages+=("${packaging[@]}"); commands+=("${packaging_commands[@]}") ;;
    windows) packages+=("${windows[@]}"); commands+=("${windows_commands[@]}") ;;
esac

# Fails naming each command not on the path and the package that brings it.
check_commands() {
    local entry absent=0
    for entry in "${commands[@]}"; do
        # Servers such as ser2net live in sbin, which a user's path may leave out.
        if ! PATH="$PATH:/usr/sbin:/sbin" command -v "${entry%%:*}" >/dev/null 2>&1; then
            echo "Missing command: ${entry%%:*} (Debian package ${entry#*:})" >&2
            absent=1
        fi
    done
    return "$absent"
}

# Root, or sudo, for what follows; otherwise the line to run as root.
as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null 2>&1; then
        sudo "$@"
    else
        echo "Run as root: $*" >&2
        return 1
    fi
}

# The Polish locale, in which the Polish manual pages are made and the tests run:
# named in /etc/locale.gen, so that the next update of the locales keeps it.
polish_locale() {
    locale -a 2>/dev/null | grep -qix 'pl_PL.utf8' && return
    echo "Generating the locale pl_PL.UTF-8"
    as_root sh -c "sed -i 's/^# *pl_PL.UTF-8 UTF-8/pl_PL.UTF-8 UTF-8/' /etc/locale.gen
                   grep -qx 'pl_PL.UTF-8 UTF-8' /etc/locale.gen ||
                       echo 'pl_PL.UTF-8 UTF-8' >>/etc/locale.gen
                   locale-gen >/dev/null"
}

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    # Through env: sudo would drop an exported variable.
    as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
fi
check_commands
polish_locale
