#!/usr/bin/env bash
# setup.sh: installs what the build and the tests need on a Debian machine and
# prepares the project's own Wine prefix. Idempotent: seconds when all is there.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"

packages=(
    cmake make g++ pkg-config
    mingw-w64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
    wine wine64 xvfb xauth x11-utils xdotool imagemagick
    gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-ugly
    fonts-ipafont-gothic googletest
    libcairo2-dev libmp3lame-dev lame
    zip
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

mkdir -p "$VELKARN_BUILD"
stamp="$WINEPREFIX/.velkarn-ready"
if [ ! -f "$stamp" ]; then
    echo "setup: creating the Wine prefix in $WINEPREFIX"
    # Started with no inherited streams, so that nothing later waits on them.
    wineboot -i </dev/null >/dev/null 2>&1
    # The game's font, and Direct3D without command-stream threading (several
    # times faster Direct2D drawing on software OpenGL).
    reg="$VELKARN_BUILD/velkarn-setup.reg"
    {
        printf '\xff\xfe'
        printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n"メイリオ"="IPAGothic"\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Direct3D]\r\n"csmt"=dword:00000000\r\n\r\n' \
            | iconv -f UTF-8 -t UTF-16LE
    } > "$reg"
    wine regedit /S "$(winepath -w "$reg" 2>/dev/null)" </dev/null >/dev/null 2>&1
    wineserver -w
    touch "$stamp"
fi
