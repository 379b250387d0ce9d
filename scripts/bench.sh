#!/usr/bin/env bash
# bench.sh [EDITION...] [--soak MINUTES] [-- BENCH-ARGS...]: builds the frame
# benchmark and runs it for each edition (default 1 2 3) under Wine on a virtual
# display, then plays the same editions live for MINUTES (default 10; 0 skips
# it) with scripts/soak.sh, and writes the figures of both to
# docs/performance.md. Measures and prints; asserts nothing. BENCH-ARGS go to
# every benchmark program (e.g. -- --frames 3000 --repeats 1).
set -euo pipefail
cd "$(dirname "$0")/.."

editions=()
bench_args=()
soak_minutes=10
while [ $# -gt 0 ]; do
    case "$1" in
        1|2|3) editions+=("$1") ;;
        --soak) soak_minutes="$2"; shift ;;
        --) shift; bench_args=("$@"); break ;;
        *) echo "usage: scripts/bench.sh [1|2|3 ...] [--soak MINUTES] [-- BENCH-ARGS...]" >&2; exit 2 ;;
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

out="$VELKARN_ROOT/docs/performance.md"
body="$(mktemp)"
trap 'rm -f "$body"; velkarn_stop_session' EXIT
velkarn_start_display
velkarn_start_wine
for n in "${editions[@]}"; do
    echo "bench: edition $n" >&2
    (cd "$VELKARN_BUILD/bin" && wine "./frame_bench$n.exe" "${bench_args[@]}" </dev/null) | tr -d '\r' >>"$body"
done
velkarn_stop_session

# The live game: the soak plays each edition on a display and prefix of its own.
soak_summary=""
if [ "$soak_minutes" -gt 0 ]; then
    echo "bench: playing each edition for $soak_minutes minutes" >&2
    scripts/soak.sh -m "$soak_minutes" "${editions[@]}" >&2 || true  # its verdict is in its summary
    soak_summary="$(ls -t "$VELKARN_BUILD"/soak/soak-*.txt 2>/dev/null | head -n 1)"
fi

cpu="$(grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //')"
command="scripts/bench.sh ${editions[*]} --soak $soak_minutes${bench_args:+ -- ${bench_args[*]}}"
mkdir -p "$(dirname "$out")"
{
    echo "# Frame performance"
    echo
    echo "Made by \`$command\` on $(date -u '+%Y-%m-%d %H:%M UTC'): $cpu, $(nproc) CPUs,"
    echo "$(wine --version 2>/dev/null), on a virtual X display; the platform's Direct2D there draws"
    echo "through software OpenGL (Mesa)."
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
    echo "- (c) BeginDraw to EndDraw (clear, game, effects, drawing, present) on a real 600 x 720"
    echo "  window with the real sheets: on the software renderer (the default under Wine) for"
    echo "  every frame, and on the platform's Direct2D for every 50th frame and the 20 frames with"
    echo "  the most drawing calls; each replay reaches its frames through the same script, so"
    echo "  they are the very frames of (a) and (b)."
    echo
    echo "Times are in microseconds. The platform's cost per drawing call is fitted to the sampled"
    echo "frames."
    echo
    cat "$body"
    if [ -n "$soak_summary" ]; then
        echo "## Live play"
        echo
        echo "Each program played for $soak_minutes minutes under Wine with the software renderer, keys"
        echo "pressed all the time (the arrows held in turn, the space bar tapped), its frame count"
        echo "read from the running program once a minute by \`scripts/soak.sh\`, with its commit"
        echo "charge (Wine 8 reports no private bytes) and its handles; the frame clock asks for"
        echo "30.3 frames a second (1,818 a minute)."
        echo
        echo '```'
        cat "$soak_summary"
        echo '```'
    fi
} >"$out"
echo "bench: wrote $out" >&2
