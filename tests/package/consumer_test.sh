#!/bin/sh
# Installs the build into a scratch prefix, checks the installed tree, then
# builds and runs a small consumer against it twice: through
# find_package(Quenzil) and through pkg-config.
#
#   consumer_test.sh BUILD-DIR CONSUMER-SOURCE SAMPLE LIBDIR CMAKE CXX GENERATOR MAKE-PROGRAM
set -eu
build=$1 consumer=$2 sample=$3 libdir=$4 cmake=$5 cxx=$6 generator=$7 make=$8

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
lib=$prefix/$libdir

fail() {
    echo "consumer_test: $*" >&2
    exit 1
}

# Every expected line must appear in the output of a consumer run.
check_output() {
    label=$1
    output=$2
    for expected in "version 3.1.0.27" "elements 31" "missing file: MSAXError::MFileOpenRead 525" \
        "identity <KorLibrary::Quenzil::02::00::00::00::"; do
        printf '%s\n' "$output" | grep -qF "$expected" || fail "$label: no '$expected' in: $output"
    done
}

"$cmake" --install "$build" --prefix "$prefix" >/dev/null

# The library under its versioned name, with the SONAME its major version gives.
[ -f "$lib/libquenzil.so.2.0.0" ] || fail "libquenzil.so.2.0.0 not installed"
[ -L "$lib/libquenzil.so" ] || fail "libquenzil.so is not a link"
readelf -d "$lib/libquenzil.so.2.0.0" | grep -q 'SONAME.*\[libquenzil\.so\.2\]' || fail "wrong SONAME"
[ -f "$lib/libkorsax.so.8" ] || fail "the sibling module is not installed"
[ -f "$prefix/include/quenzil/reader/sax_reader.h" ] || fail "headers not under include/quenzil"

# The installed tool finds the sibling module on its own.
tool_output=$("$prefix/bin/quenzil" version "$sample") || fail "installed tool failed"
[ "$tool_output" = "3.1.0.27" ] || fail "installed tool printed: $tool_output"

# CMake package.
"$cmake" -S "$consumer" -B "$work/cmake-build" -G "$generator" -DCMAKE_MAKE_PROGRAM="$make" \
    -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_PREFIX_PATH="$prefix" >"$work/configure.log" 2>&1 ||
    { cat "$work/configure.log" >&2; fail "find_package(Quenzil) configuration failed"; }
"$cmake" --build "$work/cmake-build" >"$work/build.log" 2>&1 ||
    { cat "$work/build.log" >&2; fail "the CMake consumer does not build"; }
check_output "find_package" "$("$work/cmake-build/consumer" "$sample" "$work/missing.kpf")"

# pkg-config.
flags=$(PKG_CONFIG_PATH="$lib/pkgconfig" pkg-config --cflags --libs quenzil) || fail "pkg-config does not know quenzil"
# shellcheck disable=SC2086
"$cxx" -std=c++17 "$consumer/consumer.cpp" $flags -Wl,-rpath,"$lib" -o "$work/pc-consumer" ||
    fail "the pkg-config consumer does not build with: $flags"
check_output "pkg-config" "$("$work/pc-consumer" "$sample" "$work/missing.kpf")"

echo "consumer_test: installed package works through CMake and pkg-config"
