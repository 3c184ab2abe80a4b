#!/usr/bin/env bash
# Compares the summary of `quorvex --summary` with what find(1) counts under the same rules:
# every directory is a folder (the scanned one included), everything else is a file with its
# own size (links are not followed), one file-system volume, extension after the last dot.
set -euo pipefail
quorvex=$1
shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

check() {
    local dir=$1
    local out folders files bytes types
    out=$("$quorvex" --summary --config "$work/conf.xml" "$dir" 2>/dev/null)
    folders=$(find "$dir" -xdev -type d -printf x | wc -c)
    files=$(find "$dir" -xdev ! -type d -printf x | wc -c)
    bytes=$(find "$dir" -xdev ! -type d -printf '%s\n' | awk '{s += $1} END {printf "%.0f", s}')
    types=$(find "$dir" -xdev ! -type d -printf '%f\0' |
        awk 'BEGIN {RS="\0"} {n = split($0, p, "."); print (n > 1 ? p[n] : "")}' | sort -u | wc -l)
    [ "$files" -eq 0 ] && types=0
    local expected="Folders Quantity: $folders
Files Quantity: $files
Files Type Quantity: $types"
    local got
    got=$(printf '%s\n' "$out" | sed -n '3,5p')
    if [ "$got" != "$expected" ] || ! printf '%s\n' "$out" | grep -q "( $bytes Byte)\$"; then
        echo "MISMATCH for $dir"
        echo "quorvex:"; printf '%s\n' "$out"
        echo "find: $folders folders, $files files, $bytes bytes, $types types"
        exit 1
    fi
    echo "OK $dir: $folders folders, $files files, $bytes bytes, $types types"
}

tree=$work/tree
mkdir -p "$tree/docs/sub" "$tree/.hidden/x.d" "$tree/empty"
printf 'hello' > "$tree/docs/a.txt"
printf '123456789' > "$tree/docs/sub/b.TXT"
printf '' > "$tree/.hidden/x.d/readme"
printf 'z' > "$tree/name."
printf 'abc' > "$tree/.profile"
printf 'tar' > "$tree/b.tar.gz"
ln -s .. "$tree/docs/up"
ln -s docs/a.txt "$tree/link.txt"
mkfifo "$tree/pipe"
check "$tree"
for dir in "$@"; do
    check "$dir"
done
