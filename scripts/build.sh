#!/usr/bin/env bash
# build.sh [TARGET...]: configures and builds the cross build (programs, data
# files, tests), or only the targets named.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
cmake -S "$VELKARN_ROOT" -B "$VELKARN_BUILD" \
      -DCMAKE_TOOLCHAIN_FILE="$VELKARN_ROOT/cmake/toolchain-mingw64.cmake" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build "$VELKARN_BUILD" -j "$(nproc)" "${targets[@]}"
