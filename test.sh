#!/usr/bin/env bash
# Builds everything and runs every test, then the core tests again under AddressSanitizer
# and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup.sh

extra=()
if [ "${CI:-}" = "true" ]; then extra+=(-DQUORVEX_WERROR=ON); fi
jobs=$(nproc)

cmake --preset dev "${extra[@]}"
cmake --build --preset dev -j "$jobs"
ctest --preset dev -j "$jobs"

cmake --preset asan "${extra[@]}"
cmake --build --preset asan -j "$jobs"
ctest --preset asan -j "$jobs"
