#!/usr/bin/env bash
# Builds the shipped windows-x86 image twice, from two copies of the sources in different
# folders, and checks that the two executables are byte-identical.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/copy/of/the/sources"
tar -C "$source_dir" --exclude=./build --exclude=./.git -cf - . | tar -C "$work/copy/of/the/sources" -xf -

build() {
    cmake -S "$1" -B "$2" --preset windows-x86 >/dev/null
    cmake --build "$2" --target envrefresh >/dev/null
}
build "$source_dir" "$work/first"
build "$work/copy/of/the/sources" "$work/a/second/build"

first=$(sha256sum <"$work/first/envrefresh.exe")
second=$(sha256sum <"$work/a/second/build/envrefresh.exe")
echo "first build:  ${first%% *}"
echo "second build: ${second%% *}"
if [ "$first" != "$second" ]; then
    echo "FAIL: two clean builds of the same sources differ" >&2
    cmp -l "$work/first/envrefresh.exe" "$work/a/second/build/envrefresh.exe" | head -20 >&2 || true
    exit 1
fi
echo "ok: byte-identical"
