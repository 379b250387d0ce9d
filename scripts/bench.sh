#!/usr/bin/env bash
# bench.sh [EDITION...] [-- BENCH-ARGS...]: builds the frame benchmark, runs it for
# each edition (default 1 2 3) under Wine on a virtual display of its own, and
# writes the figures to docs/performance.md. Measures and prints; asserts nothing.
# BENCH-ARGS go to every benchmark program (e.g. -- --frames 3000 --repeats 1).
set -euo pipefail
cd "$(dirname "$0")/.."

editions=()
bench_args=()
while [ $# -gt 0 ]; do
    case "$1" in
        1|2|3) editions+=("$1") ;;
        --) shift; bench_args=("$@"); break ;;
        *) echo "usage: scripts/bench.sh [1|2|3 ...] [-- BENCH-ARGS...]" >&2; exit 2 ;;
    esac
    shift
done
[ ${#editions[@]} -gt 0 ] || editions=(1 2 3)

scripts/setup.sh
targets=(velkarn_assets)
for n in "${editions[@]}"; do targets+=("frame_bench$n"); done
scripts/build.sh "${targets[@]}"
source scripts/env.sh
source scripts/session.sh
trap velkarn_stop_session EXIT
velkarn_start_display
velkarn_start_wine

out="$VELKARN_ROOT/docs/performance.md"
body="$(mktemp)"
trap 'rm -f "$body"; velkarn_stop_session' EXIT
for n in "${editions[@]}"; do
    echo "bench: edition $n" >&2
    (cd "$VELKARN_BUILD/bin" && wine "./frame_bench$n.exe" "${bench_args[@]}" </dev/null) | tr -d '\r' >>"$body"
done

cpu="$(grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //')"
command="scripts/bench.sh ${editions[*]}${bench_args:+ -- ${bench_args[*]}}"
mkdir -p "$(dirname "$out")"
{
    echo "# Frame performance"
    echo
    echo "Made by \`$command\` on $(date -u '+%Y-%m-%d %H:%M UTC'): $cpu, $(nproc) CPUs,"
    echo "$(wine --version 2>/dev/null), Direct2D drawn in software (Mesa) on a virtual X display."
    echo
    echo "The game keeps to a 33 ms frame. Each edition's benchmark replays a fixed key script"
    echo "(the arrows held in turn for 45 frames each, the space bar pressed every 10th frame and"
    echo "released the next) over two full passes of the stage script, and measures per frame:"
    echo
    echo "- (a) game work: GameFrame + StepAndDrawEffects against a render target that only counts"
    echo "  its calls, timed with QueryPerformanceCounter on one thread; the replay runs several"
    echo "  times and each frame keeps its shortest time (the longest is shown too: it carries"
    echo "  whatever else the machine was doing);"
    echo "- (b) drawing calls: bitmaps, lines, ellipses and texts the frame draws;"
    echo "- (c) BeginDraw to EndDraw (clear, game, effects, present) on a real 600 x 720 window"
    echo "  render target with the real sheets, for every 50th frame and the 20 frames with the"
    echo "  most drawing calls; the replay reaches those frames through the same script, so they"
    echo "  are the very frames of (a) and (b)."
    echo
    echo "Times are in microseconds. The cost per drawing call is fitted to the sampled frames."
    echo
    cat "$body"
} >"$out"
echo "bench: wrote $out" >&2
