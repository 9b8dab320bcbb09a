#!/bin/sh
# Peak memory of parsing a project file whose "header.xml" is 1 MiB and one
# whose "header.xml" is 256 MiB: the reader streams the document, so both
# should be about the same. Also prints the parse time next to a baseline of
# raw inflate, deciphering and Expat without handlers. The last line gives a
# 256 MiB document in which every object has an "id" element: the id map then
# grows with the number of objects, as it must.
#   bench/parse_memory.sh [build-dir]   (configured with -DQUENZIL_BUILD_BENCH=ON)
set -eu
build=${1:-build}
probe="$build/bench/parse_memory"
[ -x "$probe" ] || { echo "build the parse_memory target in $build first" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

peak() { # mode file -> "peak-KiB seconds"
    /usr/bin/time -v "$probe" "$1" "$2" 2>"$work/time" >"$work/out"
    kib=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time")
    secs=$(sed -n 's/^seconds //p' "$work/out")
    echo "$kib $secs"
}

for run in "1" "256" "256 ids"; do
    set -- $run
    mib=$1 ids=${2:-}
    file="$work/doc.kpf"
    "$probe" write "$file" $((mib * 1024 * 1024)) 1 $ids >/dev/null
    set -- $(peak parse "$file")
    parse_kib=$1 parse_s=$2
    set -- $(peak baseline "$file")
    echo "header.xml ${mib} MiB (level 1${ids:+, with ids}): parse peak ${parse_kib} KiB, ${parse_s} s;" \
         "baseline peak $1 KiB, $2 s"
    rm -f "$file"
done
