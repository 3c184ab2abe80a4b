# Shared by the benchmark scripts (sourced, not run): the release build and the generated
# tree, so that every benchmark measures the same tree from the same cache.
#
# The caller sets: here (the repository), files, seed, cache, and build (a build folder, or
# empty for the release preset's build/release); extensions (the generator's --extensions)
# may be left unset for "common". bin is set by build_release.
# shellcheck shell=bash disable=SC2154

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# build_release TARGET...: runs scripts/setup.sh, then builds TARGETs optimised, with the
# release preset or, when $build is set, as a Release build in that folder.
build_release() {
    "$here/scripts/setup.sh" >&2
    if [ -z "$build" ]; then
        (
            cd "$here" || exit
            cmake --preset release >/dev/null
            cmake --build --preset release --target "$@" >/dev/null
        )
        bin="$here/build/release/bench"
    else
        cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
        cmake --build "$build" --target "$@" >/dev/null
        bin="$build/bench"
    fi
}

# 1000000 -> 1M, 10000 -> 10k
size_label() {
    if (($1 % 1000000 == 0)); then echo "$(($1 / 1000000))M"
    elif (($1 % 1000 == 0)); then echo "$(($1 / 1000))k"
    else echo "$1"; fi
}

# The tree of $files files, seed $seed and $extensions in the cache. Common trees keep the
# name they had before there was a choice, so trees already cached are still found.
tree_path() {
    local suffix=
    [ "${extensions:-common}" = common ] || suffix="-$extensions"
    echo "$cache/tree-$(size_label "$files")-seed$seed$suffix"
}

# Generates into a side folder and renames it when complete, so an interrupted run never
# leaves a half tree that the next run would take for the real one.
make_tree() {
    local tree="$1"
    if [ -d "$tree" ]; then
        echo "Reusing $tree"
        return
    fi
    mkdir -p "$cache"
    rm -rf "$tree.partial"
    "$bin/quorvex_gentree" --files "$files" --seed "$seed" --extensions "${extensions:-common}" \
        "$tree.partial"
    mv "$tree.partial" "$tree"
}
