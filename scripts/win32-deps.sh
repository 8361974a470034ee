#!/usr/bin/env bash
# scripts/deps.sh win32: installs the MinGW-w64 cross compiler and Wine, and builds the third-party
# libraries of the Windows program (libFLAC, TinyXML, libjpeg-turbo, GoogleTest) from Debian's own
# source packages into build/win32-deps (static libraries, kept between runs; each one is built only
# when it is missing there). Idempotent: a machine that has everything only checks.
set -euo pipefail
cd "$(dirname "$0")/.."

root=$PWD
deps=$root/build/win32-deps
prefix=$deps/prefix
toolchain=$root/cmake/mingw-w64-x86_64.cmake
host=x86_64-w64-mingw32

PACKAGES=(g++-mingw-w64-x86-64-posix mingw-w64-tools wine64 dpkg-dev cmake ninja-build)

SUDO=""
if [[ $(id -u) -ne 0 ]]; then SUDO="sudo"; fi
apt_get() {
    # Another installation may hold the package database for a while.
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get -o DPkg::Lock::Timeout=900 "$@"
}

missing=()
for package in "${PACKAGES[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
updated=0
if ((${#missing[@]} > 0)); then
    echo "deps win32: installing ${missing[*]}"
    apt_get update -qq
    updated=1
    apt_get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Source packages need a deb-src entry for the configured Debian mirror; one is added beside the
# binary entries when none exists.
ensure_deb_src() {
    if grep -rqsE '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/; then return; fi
    local list=/etc/apt/sources.list.d/kis-deb-src.sources
    if [[ -f /etc/apt/sources.list.d/debian.sources ]]; then
        sed -E 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources | $SUDO tee "$list" >/dev/null
    elif grep -qsE '^deb ' /etc/apt/sources.list; then
        grep -E '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' |
            $SUDO tee /etc/apt/sources.list.d/kis-deb-src.list >/dev/null
    else
        echo "deps win32: no Debian mirror is configured for source packages" >&2
        exit 1
    fi
    updated=0
}

# Unpacks Debian's source package name below $deps/src and prints its folder.
fetch_source() {
    local name=$1
    mkdir -p "$deps/src"
    local folder
    folder=$(find "$deps/src" -maxdepth 1 -mindepth 1 -type d -name "$name-*" | head -n 1)
    if [[ -z "$folder" ]]; then
        ensure_deb_src
        if ((updated == 0)); then
            apt_get update -qq
            updated=1
        fi
        (cd "$deps/src" && apt-get source -qq "$name" >/dev/null 2>&1 || apt-get source "$name" >&2)
        folder=$(find "$deps/src" -maxdepth 1 -mindepth 1 -type d -name "$name-*" | head -n 1)
    fi
    [[ -n "$folder" ]] || { echo "deps win32: no source of $name" >&2; exit 1; }
    echo "$folder"
}

cmake_library() {
    local name=$1 source=$2
    shift 2
    cmake -S "$source" -B "$deps/build/$name" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF "$@" >/dev/null
    cmake --build "$deps/build/$name" -j 2 >/dev/null
    cmake --install "$deps/build/$name" >/dev/null
}

build_flac() {
    cmake_library flac "$(fetch_source flac)" -DBUILD_PROGRAMS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_TESTING=OFF \
        -DBUILD_DOCS=OFF -DWITH_OGG=OFF -DBUILD_CXXLIBS=OFF -DINSTALL_MANPAGES=OFF -DWITH_STACK_PROTECTOR=OFF
}

build_jpeg() {
    cmake_library libjpeg-turbo "$(fetch_source libjpeg-turbo)" -DWITH_SIMD=OFF -DENABLE_SHARED=OFF \
        -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_JPEG8=OFF
}

build_gtest() {
    cmake_library googletest "$(fetch_source googletest)" -DBUILD_GMOCK=ON -Dgtest_disable_pthreads=OFF
}

# TinyXML has no build system of its own that cross-compiles: its four sources make the library, and a
# pkg-config file describes it as Debian's does.
build_tinyxml() {
    local source
    source=$(fetch_source tinyxml)
    local objects=$deps/build/tinyxml
    mkdir -p "$objects" "$prefix/lib/pkgconfig" "$prefix/include"
    for file in tinyxml tinystr tinyxmlerror tinyxmlparser; do
        $host-g++-posix -O2 -c "$source/$file.cpp" -o "$objects/$file.o"
    done
    rm -f "$prefix/lib/libtinyxml.a"
    $host-ar rcs "$prefix/lib/libtinyxml.a" "$objects"/*.o
    cp "$source/tinyxml.h" "$source/tinystr.h" "$prefix/include/"
    cat >"$prefix/lib/pkgconfig/tinyxml.pc" <<PC
prefix=$prefix
libdir=\${prefix}/lib
includedir=\${prefix}/include

Name: TinyXml
Description: simple, small, C++ XML parser
Version: 2.6.2
Libs: -L\${libdir} -ltinyxml
Cflags: -I\${includedir}
PC
}

built() { [[ -f "$prefix/lib/$1" ]]; }

built libFLAC.a || { echo "deps win32: building libFLAC"; build_flac; }
built libjpeg.a || { echo "deps win32: building libjpeg-turbo"; build_jpeg; }
built libtinyxml.a || { echo "deps win32: building TinyXML"; build_tinyxml; }
built libgtest.a || { echo "deps win32: building GoogleTest"; build_gtest; }
exit 0
