# Sourced by run_scan_bench.sh: Quorvex's scan at 1, 2 and its default thread count beside the
# limit walker (quorvex_limit_walker: getdents64 + statx on N threads, nothing kept), as
# ratios to the walker on 2 threads and on its best thread count.
#
# Uses from the caller: bin, tree, empty, repeat, work, entries, walker_threads, as_root,
# median, value, field and reference (the default scan's in-process median).
# shellcheck shell=bash disable=SC2154

trows=()
# trow NAME THREADS SECONDS [BYTES-PER-ENTRY]
trow() { trows+=("$1|$2|$3|${4:-}"); }

# less A B: true when A < B.
less() { awk -v a="$1" -v b="$2" 'BEGIN {exit !(a < b)}'; }

# print_trows TITLE AT2 BEST BEST-THREADS
print_trows() {
    local line name threads secs bpe
    printf '\n%s\n' "$1"
    printf '%-34s %7s %9s %10s %11s %11s\n' program threads "median s" "/walker@2" \
        "/walker@$4" "bytes/entry"
    for line in "${trows[@]}"; do
        IFS='|' read -r name threads secs bpe <<<"$line"
        awk -v n="$name" -v t="$threads" -v s="$secs" -v a="$2" -v b="$3" -v e="$bpe" \
            'BEGIN {printf "%-34s %7s %9.3f %10.2f %11.2f %11s\n", n, t, s, s / a, s / b, e}'
    done
    trows=()
}

# verdict NAME SECONDS LIMIT-SECONDS: one line against a target of 1.15 x the limit.
verdict() {
    awk -v n="$1" -v s="$2" -v l="$3" 'BEGIN {r = s / l
        printf "  %-58s %5.2f x  %s\n", n, r, r <= 1.15 ? "PASS" : "MISS"}'
}

threads_table() {
    local t s at2="" best="" best_threads="" rss base
    for t in $walker_threads; do
        "$bin/quorvex_limit_walker" --repeat "$repeat" --threads "$t" "$tree" >"$work/walker.txt"
        s=$(value "$work/walker.txt" "median seconds")
        trow "limit walker, nothing kept" "$t" "$s"
        if [ "$t" = 2 ]; then at2=$s; fi
        if [ -z "$best" ] || less "$s" "$best"; then best=$s best_threads=$t; fi
    done
    if [ -z "$at2" ]; then
        "$bin/quorvex_limit_walker" --repeat "$repeat" --threads 2 "$tree" >"$work/walker.txt"
        at2=$(value "$work/walker.txt" "median seconds")
        trow "limit walker, nothing kept" 2 "$at2"
    fi
    "$bin/quorvex_limit_walker" --repeat "$repeat" --threads 2 --record "$tree" >"$work/walker.txt"
    rss=$(value "$work/walker.txt" "peak rss bytes")
    base=$("$bin/quorvex_limit_walker" --repeat 1 --threads 2 --record "$empty" |
        awk -F': +' '$1 == "peak rss bytes" {print $2}')
    trow "limit walker, 36-byte records" 2 "$(value "$work/walker.txt" "median seconds")" \
        "$(awk -v p="$rss" -v e="$base" -v c="$entries" 'BEGIN {printf "%.1f", (p - e) / c}')"
    for t in 1 2; do
        "$bin/quorvex_bench_scan" --repeat "$repeat" --threads "$t" "$tree" >"$work/q$t.txt"
        trow "quorvex scan" "$t" "$(value "$work/q$t.txt" "scan seconds")"
        trow "quorvex scan+sums" "$t" "$(value "$work/q$t.txt" "median seconds")"
    done
    trow "quorvex scan (default)" auto "$(field "scan seconds")"
    trow "quorvex scan+sums (default)" auto "$reference"
    print_trows "Threads, warm cache: quorvex against the limit walker" "$at2" "$best" \
        "$best_threads"
    echo "Targets (at most 1.15 x):"
    verdict "quorvex scan+sums, default threads / limit walker@2" "$reference" "$at2"
    verdict "quorvex scan alone, default threads / limit walker@2" "$(field "scan seconds")" "$at2"
}

drop_caches() {
    sync
    as_root sh -c 'echo 3 > /proc/sys/vm/drop_caches'
}

# cold KEY... -- CMD...: runs CMD $repeat times, each after dropping the page cache, and
# prints the median of each KEY of its output, space-separated.
cold() {
    local keys=() key i
    while [ "$1" != -- ]; do keys+=("$1"); shift; done
    shift
    for ((i = 0; i < repeat; ++i)); do
        drop_caches
        "$@" >"$work/cold.$i"
    done
    for key in "${keys[@]}"; do
        for ((i = 0; i < repeat; ++i)); do value "$work/cold.$i" "$key"; done | median
    done | paste -sd ' '
}

cold_table() {
    local t s scan total at2="" best="" best_threads=""
    for t in $walker_threads; do
        s=$(cold "median seconds" -- "$bin/quorvex_limit_walker" --repeat 1 --threads "$t" "$tree")
        trow "limit walker, nothing kept" "$t" "$s"
        if [ "$t" = 2 ]; then at2=$s; fi
        if [ -z "$best" ] || less "$s" "$best"; then best=$s best_threads=$t; fi
    done
    at2=${at2:-$best}
    for t in 1 2 0; do
        read -r scan total < <(cold "scan seconds" "median seconds" -- \
            "$bin/quorvex_bench_scan" --repeat 1 --threads "$t" "$tree")
        if [ "$t" = 0 ]; then t=auto; fi
        trow "quorvex scan" "$t" "$scan"
        trow "quorvex scan+sums" "$t" "$total"
    done
    print_trows "Threads, page cache dropped before every run ($repeat runs each)" "$at2" \
        "$best" "$best_threads"
    echo "Target (at most 1.15 x):"
    verdict "quorvex scan+sums, default threads / limit walker@$best_threads" "$total" "$best"
}
