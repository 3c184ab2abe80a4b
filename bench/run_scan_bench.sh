#!/usr/bin/env bash
# Measures Quorvex's scan and summary against du, ncdu and gdu on one generated tree, all in
# the same run, and checks Quorvex's figures against find. Run by hand, as root or with sudo
# (it installs the peers when missing). See bench/README.md.
set -euo pipefail
# One locale for bash's EPOCHREALTIME, sort and awk: decimal points, not commas.
export LC_ALL=C

usage() {
    cat <<'EOF'
usage: bench/run_scan_bench.sh [--files N] [--seed S] [--repeat R] [--cache DIR] [--build DIR]
                               [--threads "T..."] [--cold] [--no-peers]
  --files N       files in the generated tree (default 1000000)
  --seed S        generator seed (default 1)
  --repeat R      timed repetitions per program, median reported (default 5)
  --cache DIR     where trees are generated and kept (default /var/tmp/quorvex-bench)
  --build DIR     Release build folder (default: the release preset's build/release)
  --threads "T.." thread counts tried for the limit walker (default "1 2 4 8 12 16")
  --cold          also time with the page cache dropped before every run (root only)
  --no-peers      neither install nor time ncdu and gdu (du is still timed)
EOF
    exit 2
}

files=1000000
seed=1
repeat=5
cache=/var/tmp/quorvex-bench
build= # the release preset's
walker_threads="1 2 4 8 12 16"
cold=0
peers=1
while [ $# -gt 0 ]; do
    case "$1" in
    --files) files="${2:?}"; shift 2 ;;
    --seed) seed="${2:?}"; shift 2 ;;
    --repeat) repeat="${2:?}"; shift 2 ;;
    --cache) cache="${2:?}"; shift 2 ;;
    --build) build="$(realpath -m "${2:?}")"; shift 2 ;;
    --threads) walker_threads="${2:?}"; shift 2 ;;
    --cold) cold=1; shift ;;
    --no-peers) peers=0; shift ;;
    *) usage ;;
    esac
done

here="$(cd "$(dirname "$0")/.." && pwd)"
. "$here/bench/bench_common.sh"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

apt_install() {
    local install=(env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$@")
    # Stale or missing package lists: update once and try again.
    as_root "${install[@]}" >/dev/null 2>&1 || { as_root apt-get update -qq && as_root "${install[@]}" >/dev/null; }
}

install_peers() {
    local need=()
    command -v ncdu >/dev/null || need+=(ncdu)
    [ -x /usr/bin/time ] || need+=(time)
    command -v script >/dev/null || need+=(bsdutils)
    if [ ${#need[@]} -gt 0 ]; then
        echo "Installing: ${need[*]}"
        apt_install "${need[@]}"
    fi
    # gdu only where the distribution packages it.
    if ! command -v gdu >/dev/null && apt-cache show gdu >/dev/null 2>&1; then
        echo "Installing: gdu"
        apt_install gdu || true
    fi
}

median() {
    sort -g | awk '{v[NR] = $1} END {printf "%.3f\n", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'
}

# measure CMD...: runs CMD $repeat times (stdin from $stdin_file, output discarded) and sets
# seconds (median) and peak (bytes). Peak RSS from GNU time covers the waited-for
# descendants too (ncdu below runs under `script`).
stdin_file=/dev/null
measure() {
    local times=() kib start
    peak=0
    for ((i = 0; i < repeat; ++i)); do
        start=$EPOCHREALTIME
        if ! /usr/bin/time -f '%M' -o "$work/rss" "$@" <"$stdin_file" >/dev/null 2>"$work/err"; then
            echo "failed: $*" >&2
            cat "$work/err" >&2
            exit 1
        fi
        times+=("$(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN {printf "%.6f", b - a}')")
        kib=$(tail -n 1 "$work/rss")
        if ((kib * 1024 > peak)); then peak=$((kib * 1024)); fi
    done
    seconds=$(printf '%s\n' "${times[@]}" | median)
}

# One untimed run on the empty folder: the program's own footprint, subtracted per entry.
baseline_rss() {
    /usr/bin/time -f '%M' -o "$work/rss" "$@" <"$stdin_file" >/dev/null 2>&1 || true
    echo $(($(tail -n 1 "$work/rss") * 1024))
}

# value FILE KEY: the first word after "KEY:" in FILE.
value() { awk -F': +' -v k="$2" '$1 == k {split($2, w, " "); print w[1]; exit}' "$1"; }
field() { value "$work/quorvex.txt" "$1"; }

rows=()
# row NAME SECONDS PEAK EMPTY-PEAK
row() { rows+=("$1|$2|$3|$4"); }

print_table() {
    local entries="$1" reference="$2"
    printf '\n%-38s %9s %9s %11s %11s\n' program "median s" "ratio" "peak RSS" "bytes/entry"
    printf '%-38s %9s %9s %11s %11s\n' "" "" "peer/qvx" "MiB" ""
    local line name secs peak empty
    for line in "${rows[@]}"; do
        IFS='|' read -r name secs peak empty <<<"$line"
        awk -v n="$name" -v s="$secs" -v r="$reference" -v p="$peak" -v e="$empty" -v c="$entries" \
            'BEGIN {printf "%-38s %9.3f %9.2f %11.1f %11.1f\n", n, s, s / r, p / 1048576, (p - e) / c}'
    done
}

check() {
    local name="$1" ours="$2" theirs="$3" verdict=OK
    [ "$ours" = "$theirs" ] || { verdict=MISMATCH; mismatches=$((mismatches + 1)); }
    printf '%-8s quorvex %-15s find %-15s %s\n' "$name" "$ours" "$theirs" "$verdict"
}

if ((peers)); then install_peers; fi
build_release quorvex_gentree quorvex_bench_scan quorvex_limit_walker
tree="$(tree_path)"
empty="$cache/empty"
make_tree "$tree"
mkdir -p "$empty"
[ -z "$(ls -A "$empty")" ] || { echo "$empty is not empty" >&2; exit 1; }

echo "Machine: $(nproc) cores, $(awk -F': ' '/model name/ {print $2; exit}' /proc/cpuinfo), $(uname -r)"
echo "Tree:    $tree on $(findmnt -n -o FSTYPE -T "$tree"), seed $seed, $repeat repetitions, warm cache"
du -sb "$tree" >/dev/null # warms the inode and dentry caches; not timed

quorvex=("$bin/quorvex_bench_scan")
"${quorvex[@]}" --repeat "$repeat" "$tree" >"$work/quorvex.txt"
cat "$work/quorvex.txt"
reference=$(field "median seconds")
entries=$(field entries)
quorvex_empty=$("${quorvex[@]}" --repeat 1 "$empty" | awk -F': +' '$1 == "peak rss bytes" {print $2}')
row "quorvex scan+summary (in process)" "$reference" "$(field "peak rss bytes")" "$quorvex_empty"

peer() {
    local name="$1"
    shift
    measure "$@" "$tree"
    row "$name" "$seconds" "$peak" "$(baseline_rss "$@" "$empty")"
}
peer "quorvex_bench_scan --repeat 1" "${quorvex[@]}" --repeat 1
peer "du -s" du -s
peer "du -sb" du -sb
if ((peers)); then
    peer "ncdu -0 -x -o /dev/null" ncdu -0 -x -o /dev/null
    # Without -o, ncdu keeps the tree in memory and opens its browser: run it on a terminal
    # (script) and let it read "q" to quit as soon as the scan is done.
    printf q >"$work/q"
    stdin_file="$work/q"
    measure script -qec "ncdu -0 -x $(printf %q "$tree")" /dev/null
    row "ncdu -0 -x (tree in memory, quits)" "$seconds" "$peak" \
        "$(baseline_rss script -qec "ncdu -0 -x $(printf %q "$empty")" /dev/null)"
    stdin_file=/dev/null
    if command -v gdu >/dev/null; then
        peer "gdu -n -p -x -c ($(nproc) cores)" gdu -n -p -x -c
    fi
fi
print_table "$entries" "$reference"

. "$here/bench/scan_threads.sh"
threads_table
if ((cold)); then cold_table; fi

echo
echo "Quorvex's figures against find:"
mismatches=0
check files "$(field files)" "$(find "$tree" -xdev ! -type d | wc -l)"
check folders "$(field folders)" "$(find "$tree" -xdev -type d | wc -l)"
check entries "$entries" "$(find "$tree" -xdev | wc -l)"
check bytes "$(field bytes)" \
    "$(find "$tree" -xdev ! -type d -printf '%s\n' | awk '{s += $1} END {printf "%.0f\n", s}')"
# Types: distinct extensions of the non-folders, the text after the last ".", none without one.
check types "$(field types)" "$(find "$tree" -xdev ! -type d -printf '%f\n' |
    awk '{n = split($0, part, "."); print (n > 1 ? part[n] : "")}' | sort -u | wc -l)"
exit $((mismatches > 0))
