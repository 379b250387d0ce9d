#!/usr/bin/env bash
# build.sh: configures and builds the cross build (programs, data files, tests).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
cmake -S "$VELKARN_ROOT" -B "$VELKARN_BUILD" \
      -DCMAKE_TOOLCHAIN_FILE="$VELKARN_ROOT/cmake/toolchain-mingw64.cmake" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$VELKARN_BUILD" -j "$(nproc)"
