#!/usr/bin/env bash
# Measures the built application on a private desktop (Xvfb with Mesa, its own
# session bus and a PulseAudio null sink), never the user's:
#   1. launch to first frame on screen, over several launches (the app reports
#      it with STARLUME_REPORT_FIRST_FRAME=1, from the kernel's process start time),
#      and how long each takes to end after Ctrl+Q;
#   2. steady state with the window at 1920x1080: CPU per thread over a window of
#      seconds (one-core percent, from /proc/PID/task/*/stat), grouped into audio,
#      clock and other, the clock's frame rate (STARLUME_REPORT_FRAMES) and
#      resident memory.
#
#   tools/measure-app.sh [launches=5] [seconds=30]
# STARLUME_CLOCK_QUALITY=full|reduced|auto passes through to the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
app="${STARLUME_BUILD_DIR:-$root/build}/src/app/starlume"
launches=${1:-5}
seconds=${2:-30}
[ -x "$app" ] || { echo "measure-app: $app is not built (run scripts/build)" >&2; exit 2; }

source "$root/tools/private-desktop.sh"
start_private_desktop measure 1920x1080

# 1. Launch to first frame, and Ctrl+Q to the end of the process.
: >"$session/launch-ms"
: >"$session/quit-ms"
for i in $(seq "$launches"); do
  STARLUME_REPORT_FIRST_FRAME=1 "$app" >"$session/out" 2>"$session/err" &
  pid=$!
  for _ in $(seq 200); do grep -q 'first frame' "$session/err" && break; sleep 0.05; done
  ms=$(sed -n 's/.*first frame on screen \([0-9]*\) ms.*/\1/p' "$session/err")
  [ -n "$ms" ] || { echo "measure-app: no first frame reported:"; cat "$session/err"; exit 1; }
  echo "$ms" >>"$session/launch-ms"

  sleep 2
  window=$(xdotool search --name '^Starlume$' | head -1)
  xdotool windowfocus --sync "$window"
  sleep 0.2
  start=$(date +%s%N)
  xdotool key ctrl+q
  while kill -0 "$pid" 2>/dev/null; do sleep 0.005; done
  echo $((($(date +%s%N) - start) / 1000000)) >>"$session/quit-ms"
  wait "$pid" 2>/dev/null || true
done
echo "launch to first frame (ms, $launches launches): $(tr '\n' ' ' <"$session/launch-ms")"
echo "launch to first frame median: $(median <"$session/launch-ms") ms"
echo "Ctrl+Q to process end (ms): $(tr '\n' ' ' <"$session/quit-ms")"
echo "Ctrl+Q to process end median: $(median <"$session/quit-ms") ms"

# 2. Steady state at 1920x1080.
STARLUME_REPORT_FRAMES=1 "$app" >"$session/out" 2>"$session/err" &
pid=$!
for _ in $(seq 100); do window=$(xdotool search --name '^Starlume$' 2>/dev/null | head -1) && [ -n "$window" ] && break; sleep 0.05; done
xdotool windowsize "$window" 1920 1080
xdotool windowmove "$window" 0 0
sleep 7 # past the start-up fade, so every voice is sounding

tick=$(getconf CLK_TCK)
reports_before=$(grep -c '^clock:' "$session/err" || true)
thread_cpu_ticks "$pid" >"$session/before"
sleep "$seconds"
thread_cpu_ticks "$pid" >"$session/after"
# The frame reports that fell wholly within the window.
grep '^clock:' "$session/err" | tail -n +$((reports_before + 2)) >"$session/frames" || true
rss=$(awk '/VmRSS/ { print $2 }' /proc/"$pid"/status)
hwm=$(awk '/VmHWM/ { print $2 }' /proc/"$pid"/status)
geometry=$(xdotool getwindowgeometry "$window" | awk '/Geometry/ { print $2 }')
kill "$pid"; wait "$pid" 2>/dev/null || true

echo "steady state over $seconds s, window $geometry, one-core percent per thread:"
join <(sort "$session/before") <(sort "$session/after") |
  awk -v tick="$tick" -v secs="$seconds" '{ pct = ($5 - $3) / tick / secs * 100; printf "  %-18s %-8s %6.2f %%\n", $2, $1, pct }' |
  sort -k3 -rn
join <(sort "$session/before") <(sort "$session/after") |
  awk -v tick="$tick" -v secs="$seconds" '
    { pct = ($5 - $3) / tick / secs * 100; total += pct
      # the output stream thread (render callback) and the libpulse loop of the device control
      if ($2 == "main") main += pct
      else if ($2 == "starlume-audio" || $2 == "threaded-ml") audio += pct
      # Qt Quick render thread and Mesa llvmpipe rasteriser threads draw the clock
      else if ($2 == "QSGRenderThread" || $2 ~ /^llvmpipe/) clock += pct
      else other += pct }
    END { printf "groups: audio %.2f %%, clock rendering %.2f %%, main thread %.2f %%, other %.2f %%, total %.2f %%\n", audio, clock, main, other, total }'
echo "clock frame reports (every 5 s):"
sed 's/^/  /' "$session/frames"
echo "clock frame rate median: $(sed -n 's/.*(\([0-9.]*\) fps).*/\1/p' "$session/frames" | median) fps"
echo "resident memory: $((rss / 1024)) MiB now, $((hwm / 1024)) MiB peak"
