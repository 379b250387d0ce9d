#!/usr/bin/env bash
# test.sh: set-up, build, and every test under Wine on a virtual display.
# Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
scripts/build.sh
scripts/build.sh release  # the three release packages must build too
source scripts/env.sh
source scripts/session.sh
trap velkarn_stop_session EXIT
velkarn_start_display
velkarn_start_wine
ctest --test-dir "$VELKARN_BUILD" --output-on-failure -j 4 "$@"
