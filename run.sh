#!/usr/bin/env bash
# run.sh [1|2|3]: set-up, build, and play one edition of velkarn under Wine
# (default 3). Without a display the game plays on a virtual one, and a
# screenshot is saved every few seconds to a folder named below.
set -euo pipefail
cd "$(dirname "$0")"
edition="${1:-3}"
case "$edition" in
    1|2|3) ;;
    *) echo "usage: ./run.sh [1|2|3]" >&2; exit 2 ;;
esac

scripts/setup.sh
scripts/build.sh "velkarn-$edition" velkarn_assets
source scripts/env.sh
source scripts/session.sh

shots=""
if [ -z "${DISPLAY:-}" ]; then
    trap velkarn_stop_session EXIT
    velkarn_start_display
    velkarn_start_wine
    shots="$VELKARN_BUILD/screenshots/run-$(date +%Y%m%d-%H%M%S)"
    mkdir -p "$shots"
    echo "No display: playing on a virtual one; screenshots every 5 s in $shots"
    (
        n=0
        while sleep 5; do
            n=$((n + 1))
            import -display "$DISPLAY" -window root "$shots/$(printf '%04d' "$n").png" 2>/dev/null || true
        done
    ) &
    shooter=$!
    trap 'kill $shooter 2>/dev/null; velkarn_stop_session' EXIT
fi

cd "$VELKARN_BUILD/bin"
wine "./velkarn-$edition.exe"
