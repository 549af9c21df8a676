#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# What the Debian package holds and how Debian's own tools judge it:
# package_check.sh DEB VERSION
set -euo pipefail
deb=$1
version=$2

listed=$(dpkg-deb -c "$deb" | awk '{print $6}')
for file in usr/bin/kalvero usr/bin/kalvero-cli usr/bin/oru-emulator \
    usr/share/applications/kalvero.desktop \
    usr/share/metainfo/pl.kalvero.Kalvero.metainfo.xml \
    usr/share/icons/hicolor/scalable/apps/kalvero.svg \
    usr/share/icons/hicolor/48x48/apps/kalvero.png \
    usr/share/man/man1/kalvero.1.gz usr/share/man/man1/kalvero-cli.1.gz \
    usr/share/man/man1/oru-emulator.1.gz usr/share/man/pl/man1/kalvero-cli.1.gz \
    usr/share/man/pl/man1/kalvero.1.gz usr/share/man/pl/man1/oru-emulator.1.gz \
    usr/share/locale/pl/LC_MESSAGES/kalvero.mo \
    usr/share/doc/kalvero/copyright usr/share/doc/kalvero/changelog.Debian.gz \
    usr/share/bash-completion/completions/kalvero-cli \
    usr/lib/systemd/user/kalvero-backup@.service usr/lib/systemd/user/kalvero-backup@.timer \
    usr/libexec/kalvero/kalvero-backup usr/share/kalvero-cli/kalvero-cli.schema.json; do
    grep -qxF "./$file" <<<"$listed" || { echo "not in the package: $file"; exit 1; }
done
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || { echo "Depends not computed"; exit 1; }

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/kalvero.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/pl.kalvero.Kalvero.metainfo.xml"
for program in kalvero kalvero-cli oru-emulator; do
    said=$("$root/usr/bin/$program" --version)
    said=${said%%$'\n'*}  # the first line; copyright and licence follow
    [ "$said" = "$program $version" ] || { echo "$program --version said: $said"; exit 1; }
done
# The installed program finds its installed catalogue.
said=$(LANGUAGE= LC_ALL=pl_PL.UTF-8 "$root/usr/bin/kalvero-cli" --bogus 2>&1 || true)
grep -q "Nieoczekiwany argument: --bogus" <<<"$said" ||
    { echo "kalvero-cli does not speak Polish where it is installed: $said"; exit 1; }
# The completion, sourced as bash does: "re" completes to the commands it begins.
completion="$root/usr/share/bash-completion/completions/kalvero-cli"
said=$(bash -c 'source "$1"; COMP_WORDS=(kalvero-cli re); COMP_CWORD=1; _kalvero_cli
               echo "${COMPREPLY[*]}"' _ "$completion")
[ "$said" = "read restore" ] || { echo "completing \"re\" gave: $said"; exit 1; }
# The units as systemd reads them, for an instance, with no user session needed.
runtime=$(mktemp -d)
units="$root/usr/lib/systemd/user"
XDG_RUNTIME_DIR=$runtime systemd-analyze verify --man=no --user \
    "$units/kalvero-backup@sklep.service" "$units/kalvero-backup@sklep.timer"
grep -qxF "ExecStart=/bin/sh /usr/libexec/kalvero/kalvero-backup %i" \
    "$units/kalvero-backup@.service" || { echo "the backup unit names another script"; exit 1; }
rm -rf "$runtime"
lintian --fail-on error "$deb"
