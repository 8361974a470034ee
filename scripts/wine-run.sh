#!/usr/bin/env bash
# wine-run.sh PROGRAM.exe [ARGUMENTS...]: runs a Windows program under Debian's 64-bit Wine loader with
# the project's Wine prefix (build/wineprefix unless WINEPREFIX names another) and Wine's own messages
# silenced. The program's exit code is passed on.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
# Windows on a display only when asked (KIS_WINE_DISPLAY=1, the window tests under Xvfb).
[[ -n "${KIS_WINE_DISPLAY:-}" ]] || unset DISPLAY WAYLAND_DISPLAY
loader=${KIS_WINE:-}
if [[ -z "$loader" ]]; then
    for candidate in /usr/lib/wine/wine64 "$(command -v wine64 2>/dev/null)" "$(command -v wine 2>/dev/null)"; do
        if [[ -n "$candidate" && -x "$candidate" ]]; then loader=$candidate; break; fi
    done
fi
[[ -n "$loader" ]] || { echo "wine-run: no Wine loader is installed" >&2; exit 127; }
mkdir -p "$WINEPREFIX"
exec "$loader" "$@"
