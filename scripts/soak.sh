#!/usr/bin/env bash
# soak.sh [-m MINUTES] [EDITION...]: plays each edition (default 3) for MINUTES
# (default 10) under Wine, with keys pressed all the time, and once a minute
# records the frames advanced and their rate, the private memory and the handle
# count of the program. Passes when every program stays up, its memory and handles do not
# grow after the second minute, and it ends with exit code 0 when its window is
# closed. Several editions run side by side, each on a virtual display and a Wine
# prefix of its own (a copy of the project's), so each window stays active and
# each run is ended alone. Not part of ./test.sh. Writes a summary to
# build/soak/soak-<time>.txt and prints it.
set -euo pipefail
cd "$(dirname "$0")/.."

minutes=10
editions=()
while [ $# -gt 0 ]; do
    case "$1" in
        -m) minutes="$2"; shift ;;
        1|2|3) editions+=("$1") ;;
        *) echo "usage: scripts/soak.sh [-m MINUTES] [1|2|3 ...]" >&2; exit 2 ;;
    esac
    shift
done
[ ${#editions[@]} -gt 0 ] || editions=(3)
[ "$minutes" -ge 3 ] || { echo "soak: at least 3 minutes (growth is judged after the second)" >&2; exit 2; }

# Growth allowed after the second minute: the platform's own heaps (sound
# decoding, the software renderer) settle in steps; a leak of the game's grows
# every minute without end.
memory_slack=$((4 * 1024 * 1024))
handle_slack=8

scripts/setup.sh
targets=(velkarn_assets soak_probe)
for n in "${editions[@]}"; do targets+=("velkarn-$n"); done
scripts/build.sh "${targets[@]}"
source scripts/env.sh
source scripts/session.sh

bin="$VELKARN_BUILD/bin"
work="$VELKARN_BUILD/soak"
mkdir -p "$work"
base_prefix="$WINEPREFIX"
nm_tool="$(command -v x86_64-w64-mingw32-nm)"
objdump_tool="$(command -v x86_64-w64-mingw32-objdump)"

# The offset of g_frameCount in a program's image, for the probe to read.
frame_count_rva() {
    local exe="$1" sym base
    sym="$("$nm_tool" "$exe" | awk '$3 == "g_frameCount" { print $1 }')"
    base="$("$objdump_tool" -p "$exe" | awk '$1 == "ImageBase" { print $2 }')"
    printf '0x%x\n' $((16#$sym - 16#$base))
}

xvfb_pids=()
prefixes=()
stop_all() {
    local p x
    for p in "${prefixes[@]}"; do WINEPREFIX="$p" wineserver -k </dev/null >/dev/null 2>&1 || true; done
    for x in "${xvfb_pids[@]}"; do kill "$x" 2>/dev/null || true; wait "$x" 2>/dev/null || true; done
}
trap stop_all EXIT

# One edition's soak; its lines go to $log, its verdict is its exit status.
soak_one() {
    local n="$1" log="$2" rva first_frames=0 m line frames private handles
    local -a rows=()
    rva="$(frame_count_rva "$bin/velkarn-$n.exe")"
    echo "edition $n: $minutes minutes on $DISPLAY, prefix $WINEPREFIX" >"$log"
    (cd "$bin" && exec wine "./velkarn-$n.exe" </dev/null >/dev/null 2>&1) &
    local game=$!
    local probe=(wine "$bin/soak_probe.exe")
    # The probe's lines end in CR LF; pipefail keeps its exit status.
    sample() { "${probe[@]}" sample "$rva" 2>/dev/null | tr -d '\r'; }
    local waited=0
    until line="$(sample)"; do
        sleep 1
        waited=$((waited + 1))
        if [ $waited -ge 120 ] || ! kill -0 "$game" 2>/dev/null; then
            echo "FAIL: no game window" >>"$log"
            return 1
        fi
    done
    (cd "$bin" && exec "${probe[@]}" keys $((minutes * 60 + 5)) </dev/null >/dev/null 2>&1) &
    local keys=$!
    read -r first_frames private handles <<<"$line"
    printf '%6s %10s %9s %14s %8s\n' minute frames frames/s private handles >>"$log"
    printf '%6d %10d %9s %14d %8d\n' 0 0 - "$private" "$handles" >>"$log"
    local start=$SECONDS verdict=0 before now rate lowest=""
    before="$(date +%s.%N)"
    for m in $(seq 1 "$minutes"); do
        local due=$((start + m * 60 - SECONDS))
        [ $due -le 0 ] || sleep $due
        if ! line="$(sample)" || ! kill -0 "$game" 2>/dev/null; then
            echo "FAIL: the program is gone at minute $m" >>"$log"
            verdict=1
            break
        fi
        now="$(date +%s.%N)"
        read -r frames private handles <<<"$line"
        rows+=("$m $frames $private $handles")
        # Frames a second over the time between the two samples, not the nominal minute.
        rate="$(awk -v f=$((frames - first_frames)) -v a="$before" -v b="$now" 'BEGIN { printf "%.1f", f / (b - a) }')"
        printf '%6d %10d %9s %14d %8d\n' "$m" $((frames - first_frames)) "$rate" "$private" "$handles" >>"$log"
        if [ -z "$lowest" ] || awk -v r="$rate" -v l="$lowest" 'BEGIN { exit !(r < l) }'; then
            lowest=$rate
        fi
        first_frames=$frames
        before=$now
    done
    [ -z "$lowest" ] || echo "lowest frame rate over a minute: $lowest frames a second" >>"$log"
    kill "$keys" 2>/dev/null || true
    wait "$keys" 2>/dev/null || true

    if [ $verdict -eq 0 ]; then
        # Growth after the second minute: the highest later sample against minute 2.
        local ref_private ref_handles max_private=0 max_handles=0 frames_after=0 r
        read -r _ _ ref_private ref_handles <<<"${rows[1]}"
        for r in "${rows[@]:2}"; do
            read -r m frames private handles <<<"$r"
            [ "$private" -le "$max_private" ] || max_private=$private
            [ "$handles" -le "$max_handles" ] || max_handles=$handles
        done
        read -r _ frames _ _ <<<"${rows[-1]}"
        read -r _ frames_after _ _ <<<"${rows[1]}"
        frames_after=$((frames - frames_after))
        local grown=$((max_private - ref_private))
        echo "after minute 2: private memory up to $grown bytes more over $frames_after frames" \
             "($((grown / (frames_after > 0 ? frames_after : 1))) bytes per frame)," \
             "handles up to $((max_handles - ref_handles)) more" >>"$log"
        if [ "$grown" -gt "$memory_slack" ]; then
            echo "FAIL: private memory grows after the second minute" >>"$log"
            verdict=1
        fi
        if [ "$max_handles" -gt $((ref_handles + handle_slack)) ]; then
            echo "FAIL: handles grow after the second minute" >>"$log"
            verdict=1
        fi
    fi
    # Whatever the figures, a program still up must end by itself with exit
    # code 0 once WM_CLOSE is posted to its window.
    if kill -0 "$game" 2>/dev/null && "${probe[@]}" close >/dev/null 2>&1; then
        local t=0 code=0
        while kill -0 "$game" 2>/dev/null && [ $t -lt 120 ]; do sleep 1; t=$((t + 1)); done
        if kill -0 "$game" 2>/dev/null; then
            echo "FAIL: still running 120 s after WM_CLOSE" >>"$log"
            verdict=1
        else
            wait "$game" || code=$?
            echo "exit code after WM_CLOSE: $code" >>"$log"
            [ "$code" -eq 0 ] || verdict=1
        fi
    else
        echo "FAIL: no window to close" >>"$log"
        verdict=1
    fi
    [ $verdict -eq 0 ] && echo "PASS" >>"$log" || echo "FAIL" >>"$log"
    return $verdict
}

stamp="$(date +%Y%m%d-%H%M%S)"
pids=()
logs=()
for n in "${editions[@]}"; do
    # A prefix of its own, copied once from the project's.
    prefix="$work/prefix-$n"
    if [ ! -f "$prefix/.velkarn-ready" ]; then
        rm -rf "$prefix"
        cp -a "$base_prefix" "$prefix"
    fi
    prefixes+=("$prefix")
    velkarn_start_display
    xvfb_pids+=("$VELKARN_XVFB_PID")
    log="$work/soak-$stamp-edition$n.log"
    logs+=("$log")
    (
        export WINEPREFIX="$prefix"
        velkarn_start_wine
        soak_one "$n" "$log"
    ) &
    pids+=($!)
done

status=0
for i in "${!pids[@]}"; do
    wait "${pids[$i]}" || status=1
done
summary="$work/soak-$stamp.txt"
{
    echo "soak: $minutes minutes, editions ${editions[*]}; frames advanced per minute, private bytes and handles"
    echo "(growth after minute 2 allowed: $memory_slack bytes, $handle_slack handles)"
    for log in "${logs[@]}"; do echo; cat "$log"; done
} | tee "$summary"
exit $status
