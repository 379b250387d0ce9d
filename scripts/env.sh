# env.sh: the project's build folder, Wine prefix and audio set-up; sourced by the
# scripts. Everything stays inside the build folder: the user's own ~/.wine and
# ~/.asoundrc are never touched.
VELKARN_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
VELKARN_BUILD="${VELKARN_BUILD:-$VELKARN_ROOT/build}"
export VELKARN_ROOT VELKARN_BUILD
export WINEPREFIX="$VELKARN_BUILD/wineprefix"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
# Without a sound card, DirectShow cannot render an MP3 at all; an ALSA null
# device lets it play into nothing. With a card, ALSA is left as the user has it.
if ! grep -q '^ *[0-9]' /proc/asound/cards 2>/dev/null; then
    export ALSA_CONFIG_PATH="$VELKARN_ROOT/scripts/asound-null.conf"
fi
