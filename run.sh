#!/usr/bin/env bash
# Builds Quorvex (release) and runs it with the given arguments, e.g. ./run.sh FOLDER.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/scripts/setup.sh" >&2
(
    cd "$here"
    cmake --preset release >/dev/null
    cmake --build --preset release --target quorvex -j "$(nproc)" >/dev/null
)
exec "$here/build/release/src/app/quorvex" "$@"
