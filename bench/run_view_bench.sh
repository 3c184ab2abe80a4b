#!/usr/bin/env bash
# Measures the view controller on the scan benchmark's tree: folder tree, showing the top
# folder, sorting "All Files" and a folder click, against their targets. Run by hand; see
# bench/README.md.
set -euo pipefail
export LC_ALL=C

usage() {
    cat <<'EOF'
usage: bench/run_view_bench.sh [--files N] [--seed S] [--extensions common|longtail]
                               [--repeat R] [--cache DIR] [--build DIR]
  --files N    files in the generated tree (default 1000000)
  --seed S     generator seed (default 1)
  --extensions common|longtail
               the generator's extensions: its table of about 60, or thousands in a long
               tail as on a real root (default common; a longtail tree is cached apart)
  --repeat R   timed repetitions per figure, median reported (default 5)
  --cache DIR  where trees are generated and kept (default /var/tmp/quorvex-bench)
  --build DIR  Release build folder (default: the release preset's build/release)
EOF
    exit 2
}

files=1000000
seed=1
extensions=common
repeat=5
cache=/var/tmp/quorvex-bench
build=
while [ $# -gt 0 ]; do
    case "$1" in
    --files) files="${2:?}"; shift 2 ;;
    --seed) seed="${2:?}"; shift 2 ;;
    --extensions) extensions="${2:?}"; shift 2 ;;
    --repeat) repeat="${2:?}"; shift 2 ;;
    --cache) cache="${2:?}"; shift 2 ;;
    --build) build="$(realpath -m "${2:?}")"; shift 2 ;;
    *) usage ;;
    esac
done

here="$(cd "$(dirname "$0")/.." && pwd)"
. "$here/bench/bench_common.sh"

build_release quorvex_gentree quorvex_bench_views
tree="$(tree_path)"
make_tree "$tree"

echo "Machine: $(nproc) cores, $(awk -F': ' '/model name/ {print $2; exit}' /proc/cpuinfo), $(uname -r)"
echo "Tree:    $tree on $(findmnt -n -o FSTYPE -T "$tree"), seed $seed, $extensions extensions, $repeat repetitions, warm cache"
du -sb "$tree" >/dev/null # warms the inode and dentry caches; not timed
"$bin/quorvex_bench_views" --repeat "$repeat" "$tree"
