#!/usr/bin/env bash
# Measures what the open mixer console costs the application's main thread, on
# a private desktop (Xvfb with Mesa, its own session bus, a PulseAudio null
# sink), never the user's. The engine plays live, so the meters and the
# analyser update at their own rates (about 30 and 11.7 a second).
#
# Measures `rounds` windows of `seconds` with the mixer closed (main window
# only, 1280x800), then opens it (Ctrl+M), sizes it to 2452x1520 and measures
# `rounds` more; reports per thread the one-core percent of each window (utime + stime from /proc/PID/task/*/stat),
# then the medians of the main thread and of the Qt Quick render threads.
#
#   tools/measure-console.sh [rounds=3] [seconds=10]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
app="${STARLUME_BUILD_DIR:-$root/build}/src/app/starlume"
rounds=${1:-3}
seconds=${2:-10}
[ -x "$app" ] || { echo "measure-console: $app is not built (run scripts/build)" >&2; exit 2; }

source "$root/tools/private-desktop.sh"
start_private_desktop console 2560x1600

"$app" >"$session/out" 2>"$session/err" &
pid=$!
pids+=($pid)
for _ in $(seq 100); do main=$(xdotool search --name '^Starlume$' 2>/dev/null | head -1) && [ -n "$main" ] && break; sleep 0.05; done
[ -n "${main:-}" ] || { echo "measure-console: the main window did not appear:"; cat "$session/err"; exit 1; }
xdotool windowmove "$main" 0 0
sleep 7 # past the start-up fade, so every voice and meter moves

tick=$(getconf CLK_TCK)
# measure <label>: one window of $seconds; per-thread percent into $session/<label>.<round>
measure() {
  thread_cpu_ticks "$pid" >"$session/before"
  sleep "$seconds"
  thread_cpu_ticks "$pid" >"$session/after"
  join <(sort "$session/before") <(sort "$session/after") |
    awk -v tick="$tick" -v secs="$seconds" '{ printf "%s %s %.2f\n", $1, $2, ($5 - $3) / tick / secs * 100 }' >"$session/$1"
}
sum_of() { awk -v pat="$2" '$2 ~ pat { s += $3 } END { printf "%.2f\n", s }' "$1"; }

for round in $(seq "$rounds"); do
  measure "closed.$round"
  echo "mixer closed, window $round: main thread $(sum_of "$session/closed.$round" '^main$') %"
done

xdotool windowfocus --sync "$main" 2>/dev/null || true
xdotool key --window "$main" ctrl+m
for _ in $(seq 100); do mixer=$(xdotool search --name 'Mixer$' 2>/dev/null | head -1) && [ -n "$mixer" ] && break; sleep 0.05; done
[ -n "${mixer:-}" ] || { echo "measure-console: the mixer window did not appear:"; cat "$session/err"; exit 1; }
xdotool windowsize --sync "$mixer" 2452 1520
xdotool windowmove "$mixer" 0 0
sleep 2
geometry=$(xdotool getwindowgeometry "$mixer" | awk '/Geometry/ { print $2 }')
for round in $(seq "$rounds"); do
  measure "open.$round"
  echo "mixer open at $geometry, window $round: main thread $(sum_of "$session/open.$round" '^main$') %"
done
echo "per thread, last round with the mixer open (one-core percent):"
sort -k3 -rn "$session/open.$rounds" | awk '{ printf "  %-18s %-8s %6.2f %%\n", $2, $1, $3 }'

for state in closed open; do
  for round in $(seq "$rounds"); do sum_of "$session/$state.$round" '^main$'; done >"$session/$state.main"
  for round in $(seq "$rounds"); do sum_of "$session/$state.$round" '^(QSGRenderThread|llvmpipe)'; done >"$session/$state.render"
done
echo "main thread median: mixer closed $(median <"$session/closed.main") %, open at 2452x1520 $(median <"$session/open.main") %"
echo "render threads (Qt Quick + llvmpipe) median: mixer closed $(median <"$session/closed.render") %, open $(median <"$session/open.render") %"
