# Sourced by the scripts: the Wine prefix the project uses, kept warm. The
# first program of a Wine session starts its system services, which inherit
# that program's output; start them here with no output attached, or a test
# runner reading a test's output would wait on them for ever.
export WINEPREFIX="${WINEPREFIX:-$HOME/.wine-orrisbane}" WINEARCH=win32 WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-winemenubuilder.exe=d}"
wineserver -p >/dev/null 2>&1 </dev/null || true
wine cmd /c exit >/dev/null 2>&1 </dev/null || true
