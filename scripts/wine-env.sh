# Sourced by the scripts: the Wine prefix the project uses, kept warm.
export WINEPREFIX="${WINEPREFIX:-$HOME/.wine-orrisbane}" WINEARCH=win32 WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-winemenubuilder.exe=d}"
wineserver -p >/dev/null 2>&1 || true
