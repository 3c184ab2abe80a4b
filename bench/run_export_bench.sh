#!/usr/bin/env bash
# Measures the export writers on the scan benchmark's tree: "Files - All Files" to CSV, HTML
# and XML, and 65,534 of its rows to the workbook, against their targets. Run by hand; see
# bench/README.md.
set -euo pipefail
export LC_ALL=C

usage() {
    cat <<'USAGE'
usage: bench/run_export_bench.sh [--files N] [--seed S] [--cache DIR] [--build DIR] [--out DIR]
  --files N    files in the generated tree (default 1000000)
  --seed S     generator seed (default 1)
  --cache DIR  where trees are generated and kept (default /var/tmp/quorvex-bench)
  --build DIR  Release build folder (default: the release preset's build/release)
  --out DIR    where the export files are written and removed again (default: a
               temporary folder)
USAGE
    exit 2
}

files=1000000
seed=1
cache=/var/tmp/quorvex-bench
build=
out=()
while [ $# -gt 0 ]; do
    case "$1" in
    --files) files="${2:?}"; shift 2 ;;
    --seed) seed="${2:?}"; shift 2 ;;
    --cache) cache="${2:?}"; shift 2 ;;
    --build) build="$(realpath -m "${2:?}")"; shift 2 ;;
    --out) out=(--out "$(realpath -m "${2:?}")"); shift 2 ;;
    *) usage ;;
    esac
done

here="$(cd "$(dirname "$0")/.." && pwd)"
. "$here/bench/bench_common.sh"

build_release quorvex_gentree quorvex_bench_export
tree="$(tree_path)"
make_tree "$tree"

echo "Machine: $(nproc) cores, $(awk -F': ' '/model name/ {print $2; exit}' /proc/cpuinfo), $(uname -r)"
echo "Tree:    $tree on $(findmnt -n -o FSTYPE -T "$tree"), seed $seed, warm cache"
du -sb "$tree" >/dev/null # warms the inode and dentry caches; not timed
"$bin/quorvex_bench_export" "${out[@]}" "$tree"
