#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package build/package/kalvero_<version>_amd64.deb from a
# release build, its dependencies computed from the binaries.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/deps.sh package
# Debian's hardening flags, as dpkg-buildflags gives them. Warnings are errors in
# the test build; here g++ 12 -O2 gives a known false -Wrestrict inside std::string.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
# The prefix the package installs to, which the backup unit names.
cmake -S . -B build/package -G Ninja -DCMAKE_BUILD_TYPE=Release -DKALVERO_TESTS=OFF \
    -DCMAKE_INSTALL_PREFIX=/usr \
    -DKALVERO_BENCHMARKS=OFF -DKALVERO_WERROR=OFF \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build build/package >&2  # the last line of output is the package alone
rm -f build/package/kalvero_*.deb
(cd build/package && cpack -G DEB >/dev/null)
ls build/package/kalvero_*_amd64.deb
