#!/usr/bin/env bash
# Tests the Windows COM server under Wine (run by ctest as
# WindowsComServerUnderWine):
#   test-windows-wine.sh GOLDEN_MODELS_DUMP BUILD_DIR
# Cross-builds OstrelDesignCSA94.dll and the test programs into BUILD_DIR,
# registers them with regsvr32 in a temporary Wine prefix, and under Xvfb:
# drives the golden models through the interface's table and IDispatch and
# the AnalysisResults failure paths; lets xdotool find the progress window by
# its caption and click Suspend, Continue, Suspend and Cancel (a screenshot is
# saved as BUILD_DIR/frmDesign-suspended.bmp); unregisters and checks that no
# key is left. Exits 77 (skipped) when Wine is not installed.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dump="$1"
out="$2"

wine=""
for w in wine64 /usr/lib/wine/wine64; do
  if command -v "$w" >/dev/null 2>&1; then wine="$(command -v "$w")"; break; fi
done
[ -n "$wine" ] || { echo "skipped: Wine (wine64) is not installed"; exit 77; }
for tool in x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-widl Xvfb xdotool; do
  command -v "$tool" >/dev/null 2>&1 ||
    { echo "Wine is installed but $tool is not (scripts/bootstrap.sh --test)"; exit 1; }
done

OSTREL_JOBS="${OSTREL_JOBS:-2}" nice -n 10 "$root/scripts/build-windows.sh" "$out" >"$out.log" 2>&1 ||
  { cat "$out.log"; exit 1; }

work="$(mktemp -d "${TMPDIR:-/tmp}/ostrel-wine.XXXXXX")"
xvfb_pid=""
cleanup() {
  WINEPREFIX="$work/prefix" wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export PATH="$(dirname "$wine"):$PATH"

# A private X display for Wine's windows.
exec 3> "$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")"

"$dump" "$work/models.txt" "$work/trig.txt"
"$wine" wineboot -i >/dev/null 2>&1
winpath() { "$wine" winepath -w "$1" 2>/dev/null | tr -d '\r'; }
dll="$(winpath "$out/OstrelDesignCSA94.dll")"
server="$(winpath "$out/tests/OstrelTestAnalysisResults.dll")"
client="$out/tests/ostrel_com_client.exe"
models="$(winpath "$work/models.txt")"
golden="$(winpath "$root/tests/golden/data/golden_results.txt")"

"$wine" regsvr32 /s "$dll"
"$wine" regsvr32 /s "$server"
status=0
echo "== golden models through the table and IDispatch, AnalysisResults failures"
"$wine" "$client" golden "$models" "$golden" | tr -d '\r' || status=1

echo "== CrSin, CrCos, CrAtan built with MinGW against the Linux build"
"$wine" "$client" trig "$(winpath "$work/trig.txt")" | tr -d '\r' || status=1

echo "== the progress window, clicked through xdotool"
shot="$out/frmDesign-suspended.bmp"
rm -f "$shot"
"$wine" "$client" window "$models" "$(winpath "$shot")" > "$work/window.log" 2>&1 &
client_pid=$!
if wid="$(timeout 60 xdotool search --sync --onlyvisible --name '^Ostrel \(Design - CSA A23\.3-94\)$' | head -n1)"; then
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  # Button centres from their twip positions (15 twips per pixel at 96 dpi),
  # inside the client area: the X window may or may not include the frame.
  client_w=243 client_h=132
  dx=$(( (WIDTH - client_w) / 2 )); dy=$(( HEIGHT - client_h - dx ))
  click() { xdotool mousemove --window "$wid" $((dx + $1)) $((dy + $2)) click 1; sleep 1; }
  sleep 1
  click 174 96   # Command1: Suspend
  click 174 96   # Command1: Continue
  click 174 96   # Command1: Suspend
  click 62 96    # Command2: Cancel
else
  echo "FAILED: no window with the caption \"Ostrel (Design - CSA A23.3-94)\""
  status=1
fi
wait "$client_pid" || status=1
tr -d '\r' < "$work/window.log"
[ -s "$shot" ] && echo "screenshot: $shot"

echo "== DllUnregisterServer"
"$wine" regsvr32 /s /u "$dll"
"$wine" regsvr32 /s /u "$server"
"$wine" "$client" unregistered | tr -d '\r' || status=1
exit "$status"
