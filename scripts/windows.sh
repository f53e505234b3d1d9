#!/usr/bin/env bash
# Builds フラミオ for 64-bit Windows on this Debian machine and lays it out as the folder a player
# copies: dist/furamio-windows/ and dist/furamio-windows.zip.
#   scripts/windows.sh           # build Qt for Windows once (cached), then the program and its folder
#   scripts/windows.sh --qt      # only build and cache Qt for Windows
#   scripts/windows.sh --check   # build, then run the folder under Wine against our server
#   scripts/windows.sh --check-if-cached   # the same, but only when Qt for Windows is cached
#                                          # or its prebuilt archive is at hand
#   scripts/windows.sh --syntax  # no Qt for Windows needed: compiles every source of the
#                                # Windows program for syntax only, against the host's Qt headers
# Qt for Windows takes one to two hours to build on two cores, so it is built once into
# ${XDG_CACHE_HOME:-~/.cache}/furamio/ and reused by every clone. Where that cache is missing,
# the copy this very script made from the same source is unpacked instead from
# qt-6.4.2-mingw64.tar.xz in the shared cache folder beside the clone (../shared/cache, or
# FURAMIO_QT_ARCHIVE). Under CI (CI=true) Qt is never built: without either, the Windows build
# is skipped, and the script says so.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

qt_version=6.4.2
triple=x86_64-w64-mingw32
cache=${XDG_CACHE_HOME:-$HOME/.cache}/furamio
qt_src=$cache/src/qtbase-everywhere-src-$qt_version
qt_build=$cache/qt-$qt_version-mingw64-build
qt_prefix=$cache/qt-$qt_version-mingw64
toolchain=$root/packaging/windows/mingw64.cmake
build=$root/build-windows
# The check's own build: the same program, talking to the check's server on a port of its own.
check_build=$root/build-windows-check
check_port=28931
dist=$root/dist/furamio-windows
zip=$root/dist/furamio-windows.zip
installer=$root/dist/furamio-windows-setup.exe
mingw_runtime=(/usr/lib/gcc/$triple/*-posix /usr/$triple/lib)

mode=${1:-}

install_packages() {
    scripts/install-deps.sh g++-mingw-w64-x86-64-posix mingw-w64-tools libz-mingw-w64-dev \
        binutils-mingw-w64-x86-64 qt6-base-dev-tools googletest wine64 wine nsis xdotool zip \
        unzip xvfb
}

# Written once the installation is complete, so that a build cut short is never taken for one.
qt_stamp=$qt_prefix/furamio-qt-complete

qt_ready() {
    [ -f "$qt_stamp" ]
}

# The prebuilt archive: beside the clone, or beside the main clone of a work tree.
qt_archive() {
    local name=qt-$qt_version-mingw64.tar.xz candidate common
    common=$(git -C "$root" rev-parse --path-format=absolute --git-common-dir 2>/dev/null || true)
    for candidate in "${FURAMIO_QT_ARCHIVE:-}" "$root/../shared/cache/$name" \
        ${common:+"$(dirname "$common")/../shared/cache/$name"}; do
        if [ -n "$candidate" ] && [ -f "$candidate" ]; then
            realpath "$candidate"
            return
        fi
    done
}

# The archive holds qt-6.4.2-mingw64/ with its stamp somewhere in the middle, so it is unpacked
# beside the cache and moved into place whole: an unpacking cut short is never taken for Qt.
unpack_qt() {
    local archive unpacked
    archive=$(qt_archive)
    [ -n "$archive" ] || return 1
    echo "windows: Qt $qt_version for Windows is not in $qt_prefix; unpacking the prebuilt" \
        "$archive there"
    mkdir -p "$cache"
    unpacked=$(mktemp -d "$cache/unpacking.XXXXXX")
    if ! tar -xJf "$archive" -C "$unpacked" ||
        [ ! -f "$unpacked/$(basename "$qt_prefix")/furamio-qt-complete" ]; then
        echo "windows: $archive held no complete Qt for Windows" >&2
        rm -rf "$unpacked"
        return 1
    fi
    rm -rf "$qt_prefix"
    mv "$unpacked/$(basename "$qt_prefix")" "$qt_prefix"
    rm -rf "$unpacked"
}

# Debian's own qtbase source, the same version as the host tools (moc, rcc, uic) the cross build
# takes from qt6-base-dev-tools. Only deb lines are configured on these machines, so a deb-src
# twin of each is made from them.
fetch_qt_source() {
    [ -f "$qt_src/CMakeLists.txt" ] && return
    mkdir -p "$cache/src"
    local sudo="" sources=/etc/apt/sources.list.d/furamio-deb-src.sources file
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    if ! apt-get source --print-uris qt6-base >/dev/null 2>&1; then
        for file in /etc/apt/sources.list.d/*.sources; do
            [ -f "$file" ] && [ "$file" != "$sources" ] || continue
            sed -e 's/^Types:.*/Types: deb-src/' "$file"
            echo
        done | $sudo tee "$sources" >/dev/null
        if [ -f /etc/apt/sources.list ]; then
            sed -n -e 's/^deb /deb-src /p' /etc/apt/sources.list |
                $sudo tee /etc/apt/sources.list.d/furamio-deb-src.list >/dev/null
        fi
        $sudo apt-get update -q
    fi
    (cd "$cache/src" && apt-get source --download-only qt6-base &&
        tar xf qt6-base_"$qt_version"*.orig.tar.xz)
}

# Two mends of the cached source, each made once. Debian's source leaves out the tablet
# interface header (src/3rdparty/wintab) that the Windows platform plugin's tablet support
# needs: the plugin is built without tablets, as when tablet events are switched off. And Gui
# builds its DirectWrite font database only along with Direct2D, which is off here, while the
# plugin offers it on request (fontengine=directwrite): that offer goes, GDI and FreeType stay.
#
# And the regular expressions run without their JIT: its per-thread stack is a thread_local
# with a destructor in a DLL, which MinGW runs on garbage when such a thread ends, and the
# program crashed under Wine as soon as one did.
mend_qt_source() {
    local plugin=$qt_src/src/plugins/platforms/windows pcre2=$qt_src/src/3rdparty/pcre2
    if ! grep -q 'furamio: no JIT' "$pcre2/CMakeLists.txt"; then
        sed -i -e 's/^qt_internal_extend_target(BundledPcre2 CONDITION QNX OR UIKIT$/qt_internal_extend_target(BundledPcre2 CONDITION QNX OR UIKIT OR MINGW # furamio: no JIT/' \
            "$pcre2/CMakeLists.txt"
    fi
    if ! grep -q '0 && QT_CONFIG(directwrite3)' "$plugin/qwindowsintegration.cpp"; then
        sed -i -e 's/^#if QT_CONFIG(directwrite3)$/#if 0 \&\& QT_CONFIG(directwrite3)/' \
            "$plugin/qwindowsintegration.cpp"
    fi
    [ -d "$qt_src/src/3rdparty/wintab" ] && return
    grep -q 'furamio: no wintab' "$plugin/CMakeLists.txt" && return
    sed -i -e 's/^\(#[[:space:]]*if\) QT_CONFIG(tabletevent)/\1 0 \&\& QT_CONFIG(tabletevent)/' \
        "$plugin"/qwindowscontext.cpp "$plugin"/qwindowspointerhandler.cpp \
        "$plugin"/qwindowspointerhandler.h
    sed -i -e 's/^qt_internal_extend_target(QWindowsIntegrationPlugin CONDITION QT_FEATURE_tabletevent$/qt_internal_extend_target(QWindowsIntegrationPlugin CONDITION QT_FEATURE_tabletevent AND FALSE # furamio: no wintab/' \
        "$plugin/CMakeLists.txt"
}

# Only what フラミオ uses: Core, Gui, Widgets, the Windows platform plugin and the JPEG plugin,
# every third-party library from Qt's own copies (MinGW has none of them but zlib).
build_qt() {
    fetch_qt_source
    mend_qt_source
    mkdir -p "$qt_build"
    if [ ! -f "$qt_build/build.ninja" ]; then
        cmake -S "$qt_src" -B "$qt_build" -G Ninja \
            -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
            -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_INSTALL_PREFIX="$qt_prefix" \
            -DQT_HOST_PATH=/usr \
            -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
            -DQT_QMAKE_TARGET_MKSPEC=win32-g++ \
            -DBUILD_SHARED_LIBS=ON \
            -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
            -DQT_BUILD_TOOLS_WHEN_CROSSCOMPILING=OFF \
            -DFEATURE_opengl=OFF -DINPUT_opengl=no -DFEATURE_vulkan=OFF \
            -DFEATURE_dbus=OFF -DFEATURE_network=OFF -DFEATURE_sql=OFF \
            -DFEATURE_printsupport=OFF -DFEATURE_testlib=OFF -DFEATURE_concurrent=OFF \
            -DFEATURE_xml=OFF -DFEATURE_direct2d=OFF \
            -DFEATURE_gif=OFF -DFEATURE_ico=OFF \
            -DFEATURE_textmarkdownreader=OFF -DFEATURE_textmarkdownwriter=OFF \
            -DFEATURE_textodfwriter=OFF \
            -DFEATURE_icu=OFF -DFEATURE_glib=OFF -DFEATURE_zstd=OFF -DFEATURE_openssl=OFF \
            -DFEATURE_freetype=ON -DFEATURE_harfbuzz=ON \
            -DFEATURE_system_zlib=OFF -DFEATURE_system_jpeg=OFF -DFEATURE_system_png=OFF \
            -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF \
            -DFEATURE_system_freetype=OFF -DFEATURE_system_doubleconversion=OFF
    fi
    # Niced, and on two jobs only: the machine is shared with other builds.
    nice -n 5 ninja -C "$qt_build" -j2
    ninja -C "$qt_build" install >/dev/null
    date -u +%FT%TZ >"$qt_stamp"
}

# Configured through Qt's own wrapper, which brings the host tools and the cross-built Qt
# together; the toolchain file is named again since Qt may have been built from another clone.
build_program() {
    local folder=$1 server_base=${2:-}
    local options=()
    command -v ccache >/dev/null && options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    [ -n "$server_base" ] && options+=(-DFURAMIO_SERVER_BASE="$server_base")
    # A configure cut short leaves the cache without the build files; it is run again then.
    if [ ! -f "$folder/CMakeCache.txt" ] || [ ! -f "$folder/build.ninja" ]; then
        "$qt_prefix/bin/qt-cmake" -S "$root" -B "$folder" -G Ninja "${options[@]}" \
            -DQT_CHAINLOAD_TOOLCHAIN_FILE="$toolchain" \
            -DFURAMIO_QT_PREFIX="$qt_prefix" \
            -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_CROSSCOMPILING_EMULATOR=wine
    fi
    CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1 nice -n 5 cmake --build "$folder" -j2
}

# The DLLs a program or a DLL imports that come with the build rather than with Windows.
shipped_dll() {
    local name=$1 dir
    for dir in "$qt_prefix/bin" "${mingw_runtime[@]}"; do
        if [ -f "$dir/$name" ]; then
            echo "$dir/$name"
            return
        fi
    done
}

# Walks the PE imports from the executable and the plugins down, copying every DLL that is
# ours to give (windeployqt cannot run here); the rest are Windows' own.
copy_imports() {
    local file name found
    local -a queue=("$@")
    while [ ${#queue[@]} -gt 0 ]; do
        file=${queue[0]}
        queue=("${queue[@]:1}")
        while read -r name; do
            [ -f "$dist/$name" ] && continue
            found=$(shipped_dll "$name")
            if [ -n "$found" ]; then
                cp "$found" "$dist/$name"
                queue+=("$dist/$name")
            fi
        done < <("$triple-objdump" -p "$file" | sed -n 's/^[[:space:]]*DLL Name: //p')
    done
}

lay_out_folder() {
    rm -rf "$dist" "$zip" "$installer"
    mkdir -p "$dist/platforms" "$dist/imageformats" "$dist/styles" "$dist/fonts"
    # The program's folder as the build laid it out: the executable and the same data as on
    # Linux (base lists, 国旗\, kokki.chm, help\). Results of test runs are not the player's.
    cp -r "$build/furamio/." "$dist/"
    rm -f "$dist"/seiseki*.csv "$dist"/dummy*.csv "$dist"/jukuren.* "$dist"/machigai.*
    cp "$qt_prefix/plugins/platforms/qwindows.dll" "$dist/platforms/"
    cp "$qt_prefix/plugins/imageformats/qjpeg.dll" "$dist/imageformats/"
    if [ -f "$qt_prefix/plugins/styles/qwindowsvistastyle.dll" ]; then
        cp "$qt_prefix/plugins/styles/qwindowsvistastyle.dll" "$dist/styles/"
    fi
    copy_imports "$dist/furamio.exe" "$dist"/platforms/*.dll "$dist"/imageformats/*.dll \
        "$dist"/styles/*.dll
    # The design's font where Windows has it; a Windows without Japanese fonts gets this one.
    cp /usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf "$dist/fonts/"
    cp /usr/share/doc/fonts-ipafont-gothic/copyright "$dist/fonts/IPAPGothic-license.txt"
    find "$dist" -name '*.exe' -o -name '*.dll' | xargs "$triple-strip" --strip-unneeded
    (cd "$(dirname "$dist")" && zip -q -r -9 "$zip" "$(basename "$dist")")
    echo "windows: $(du -sh "$dist" | cut -f1) in $dist, $(du -h "$zip" | cut -f1) as $zip"
    makensis -V2 -DSOURCE="$dist" -DOUTFILE="$installer" packaging/windows/furamio.nsi >/dev/null
    echo "windows: installer $installer ($(du -h "$installer" | cut -f1))"
}

# Every source of the program as the Windows build compiles it (platform/linux/ left out),
# checked against the MinGW headers. The host's Qt headers stand in for Qt for Windows, which is
# enough to find what Windows lacks.
syntax_check() {
    local host_qt=/usr/include/x86_64-linux-gnu/qt6 source report failed=0
    local flags=(-std=c++20 -fsyntax-only -Wall -Wextra -Wpedantic -Wno-attributes
        -DFURAMIO_SERVER_BASE='""' -DFURAMIO_WIKI_BASE='""' -DFURAMIO_SHOP_URL='""'
        -DFURAMIO_REFERRAL_URL='""' -Iplatform -Iplatform/windows -Icatalogue -Igame -Ihistory
        -Ionline -Istudy -Iplayer -Iapp
        -I$host_qt -I$host_qt/QtCore -I$host_qt/QtGui -I$host_qt/QtWidgets)
    for source in platform/*.cpp platform/windows/*.cpp catalogue/*.cpp game/*.cpp history/*.cpp \
        online/*.cpp study/*.cpp player/*.cpp app/*.cpp; do
        # Warnings from the host's Qt headers are theirs, not ours. The compiler's own exit
        # status is left aside (it fails on errors only), so an error is found as a warning is.
        report=$("$triple-g++-posix" "${flags[@]}" "$source" 2>&1 | grep -v "^$host_qt" |
            grep -B2 -A3 -E '(error|warning):' | grep -v "^$host_qt" || true)
        [ -z "$report" ] && continue
        echo "$report"
        failed=1
    done
    [ $failed -eq 0 ] && echo "windows: every source compiles for Windows (syntax only)"
    return $failed
}

if [ "$mode" = --syntax ]; then
    syntax_check
    exit
fi

if ! qt_ready && [ -z "$(qt_archive)" ] &&
    { [ "${CI:-}" = true ] || [ "$mode" = --check-if-cached ]; }; then
    echo "windows: skipped the Windows build and check: Qt $qt_version for Windows is not in" \
        "$qt_prefix nor its archive in ../shared/cache, and it is never built here (it takes" \
        "one to two hours); scripts/windows.sh --qt builds it once for this machine."
    exit 0
fi
[ "$mode" = --check-if-cached ] && mode=--check

install_packages
# --qt builds Qt from source; any other run unpacks the prebuilt archive where there is one,
# and builds only without it. CI never builds Qt.
if ! qt_ready && { [ "$mode" = --qt ] || ! unpack_qt; }; then
    if [ "${CI:-}" = true ]; then
        echo "windows: skipped the Windows build and check: the prebuilt Qt for Windows could" \
            "not be unpacked, and Qt is never built under CI."
        exit 0
    fi
    build_qt
fi
[ "$mode" = --qt ] && exit 0

build_program "$build"
lay_out_folder
[ "$mode" = --check ] || exit 0

build_program "$check_build" "http://127.0.0.1:$check_port/"
exec scripts/windows-check.sh "$zip" "$check_build" "$check_port"
