#!/usr/bin/env bash
# Builds the Debian packages furamio and furamio-server into dist/, from a build folder of their
# own (build-package/) so that nothing a developer played with in build/ ends up in them.
#   scripts/package.sh           # build the two packages
#   scripts/package.sh --check   # and run desktop-file-validate, appstreamcli and lintian on them
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
if [ ! -f build-package/CMakeCache.txt ]; then
    # Built with the hardening Debian builds its own packages with.
    export DEB_BUILD_MAINT_OPTIONS=hardening=+all
    cmake -S . -B build-package "${generator[@]}" "${launcher[@]}" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
        -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
        -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)"
fi
cmake --build build-package --target furamio furamio-server furamio_data -j"$(nproc)"
rm -rf dist
(cd build-package && cpack -G DEB -B "$PWD/../dist" >/dev/null)
rm -rf dist/_CPack_Packages
ls -1 dist/*.deb

if [ "${1:-}" = "--check" ]; then
    scripts/install-deps.sh desktop-file-utils appstream lintian
    desktop-file-validate packaging/jp.example.furamio.desktop
    # The addresses in the metainfo are the maker's site, which this machine may not reach.
    appstreamcli validate --no-net packaging/jp.example.furamio.metainfo.xml
    lintian --fail-on error --suppress-tags-from-file packaging/debian/lintian-expected dist/*.deb
fi
