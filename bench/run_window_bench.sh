#!/usr/bin/env bash
# Measures the real main window, offscreen, on a generated tree with a long tail of
# extensions (as on a real root), or on any folder given with --dir (such as /). Run by
# hand; see bench/README.md.
set -euo pipefail
export LC_ALL=C

usage() {
    cat <<'EOF2'
usage: bench/run_window_bench.sh [--files N] [--seed S] [--extensions common|longtail]
                                 [--repeat R] [--cache DIR] [--build DIR] [--dir FOLDER]
  --files N    files in the generated tree (default 1000000)
  --seed S     generator seed (default 1)
  --extensions common|longtail
               the generator's extensions (default longtail: thousands, as on a real root)
  --repeat R   repetitions of the headless scan and of each click, median reported (default 3)
  --cache DIR  where trees are generated and kept (default /var/tmp/quorvex-bench)
  --build DIR  Release build folder (default: the release preset's build/release)
  --dir FOLDER measure on FOLDER instead of a generated tree
EOF2
    exit 2
}

files=1000000
seed=1
extensions=longtail
repeat=3
cache=/var/tmp/quorvex-bench
build=
dir=
while [ $# -gt 0 ]; do
    case "$1" in
    --files) files="${2:?}"; shift 2 ;;
    --seed) seed="${2:?}"; shift 2 ;;
    --extensions) extensions="${2:?}"; shift 2 ;;
    --repeat) repeat="${2:?}"; shift 2 ;;
    --cache) cache="${2:?}"; shift 2 ;;
    --build) build="$(realpath -m "${2:?}")"; shift 2 ;;
    --dir) dir="${2:?}"; shift 2 ;;
    *) usage ;;
    esac
done

here="$(cd "$(dirname "$0")/.." && pwd)"
. "$here/bench/bench_common.sh"

build_release quorvex_gentree quorvex_bench_window
if [ -z "$dir" ]; then
    dir="$(tree_path)"
    make_tree "$dir"
fi

echo "Machine: $(nproc) cores, $(awk -F': ' '/model name/ {print $2; exit}' /proc/cpuinfo), $(uname -r)"
echo "Folder:  $dir on $(findmnt -n -o FSTYPE -T "$dir"), $repeat repetitions, warm cache"
du -sxb "$dir" >/dev/null 2>&1 || true # warms the inode and dentry caches; not timed
QT_QPA_PLATFORM=offscreen "$bin/quorvex_bench_window" --repeat "$repeat" "$dir"
