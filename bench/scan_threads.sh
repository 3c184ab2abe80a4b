# Sourced by run_scan_bench.sh: Quorvex's scan at 1, 2 and its default thread count beside the
# limit walker (quorvex_limit_walker: getdents64 + statx on N threads, nothing kept), as
# ratios to the walker on 2 threads and on its best thread count.
#
# Uses from the caller: bin, tree, empty, repeat, work, entries, walker_threads, as_root,
# median and value.
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

# configs: what each table times, one word each: walker:T (the limit walker on T threads),
# record:T (the walker keeping records) and quorvex:T (quorvex_bench_scan, T = 0 the default).
configs() {
    local t two=0
    for t in $walker_threads; do
        echo "walker:$t"
        if [ "$t" = 2 ]; then two=1; fi
    done
    if ((!two)); then echo walker:2; fi
    echo record:2 quorvex:1 quorvex:2 quorvex:0
}

# run_config CONFIG: one run of CONFIG on the tree, its figures on stdout.
run_config() {
    local t=${1#*:}
    case "$1" in
    walker:*) "$bin/quorvex_limit_walker" --repeat 1 --threads "$t" "$tree" ;;
    record:*) "$bin/quorvex_limit_walker" --repeat 1 --threads "$t" --record "$tree" ;;
    quorvex:*) "$bin/quorvex_bench_scan" --repeat 1 --threads "$t" "$tree" ;;
    esac
}

# rounds [cold]: $repeat rounds, each running every configuration once (after dropping the
# page cache when asked), so that load from elsewhere falls on all of them alike. Keeps
# each run's figures in $work/run.CONFIG.ROUND.
rounds() {
    local r c
    for ((r = 0; r < repeat; ++r)); do
        for c in $(configs); do
            if [ "${1:-}" = cold ]; then drop_caches; fi
            run_config "$c" >"$work/run.$c.$r"
        done
    done
}

# med CONFIG KEY: the median of KEY over the rounds of CONFIG.
med() {
    local r
    for ((r = 0; r < repeat; ++r)); do value "$work/run.$1.$r" "$2"; done | median
}

# per_entry CONFIG BASE: the median peak RSS of CONFIG's runs less BASE, per entry.
per_entry() {
    med "$1" "peak rss bytes" | awk -v e="$2" -v n="$entries" '{printf "%.1f", ($1 - e) / n}'
}

# empty_peak T: Quorvex's peak RSS on the empty folder with T threads (0, the default).
empty_peak() {
    "$bin/quorvex_bench_scan" --repeat 1 --threads "$1" "$empty" |
        awk -F': +' '$1 == "peak rss bytes" {print $2}'
}

# table TITLE: the rows of every configuration after rounds(); sets at2 and best.
table() {
    local c t s name best_threads=""
    at2="" best=""
    for c in $(configs); do
        t=${c#*:}
        s=$(med "$c" "median seconds")
        case "$c" in
        walker:*)
            trow "limit walker, nothing kept" "$t" "$s"
            if [ "$t" = 2 ]; then at2=$s; fi
            if [ -z "$best" ] || less "$s" "$best"; then best=$s best_threads=$t; fi
            ;;
        record:*)
            trow "limit walker, 36-byte records" "$t" "$s" "$(per_entry "$c" "$record_base")"
            ;;
        quorvex:*)
            name=""
            if [ "$t" = 0 ]; then name=" (default)" t=auto; fi
            trow "quorvex scan$name" "$t" "$(med "$c" "scan seconds")"
            trow "quorvex scan+sums$name" "$t" "$s" "$(per_entry "$c" "$(empty_peak "${c#*:}")")"
            ;;
        esac
    done
    print_trows "$1" "$at2" "$best" "$best_threads"
    best_label=$best_threads
}

# memory_verdict: the engine's peak RSS growth per entry with the default threads, against
# the target of at most 64 bytes.
memory_verdict() {
    per_entry quorvex:0 "$(empty_peak 0)" | awk '{
        printf "  %-58s %5.1f B  %s\n", "quorvex engine, default threads, peak rss growth per entry",
            $1, $1 <= 64 ? "PASS" : "MISS"}'
}

threads_table() {
    record_base=$("$bin/quorvex_limit_walker" --repeat 1 --threads 2 --record "$empty" |
        awk -F': +' '$1 == "peak rss bytes" {print $2}')
    rounds
    table "Threads, warm cache: quorvex against the limit walker ($repeat rounds)"
    echo "Targets (at most 1.15 x; at most 64 bytes per entry):"
    verdict "quorvex scan+sums, default threads / limit walker@2" \
        "$(med quorvex:0 "median seconds")" "$at2"
    verdict "quorvex scan alone, default threads / limit walker@2" \
        "$(med quorvex:0 "scan seconds")" "$at2"
    memory_verdict
}

drop_caches() {
    sync
    as_root sh -c 'echo 3 > /proc/sys/vm/drop_caches'
}

cold_table() {
    rounds cold
    table "Threads, page cache dropped before every run ($repeat rounds)"
    echo "Targets (at most 1.15 x; at most 64 bytes per entry):"
    verdict "quorvex scan+sums, default threads / limit walker@$best_label" \
        "$(med quorvex:0 "median seconds")" "$best"
    memory_verdict
}
