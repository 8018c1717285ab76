#!/usr/bin/env bash
# Pause and play as the listener hears them, against a private PulseAudio
# server (null sink, own socket; never the user's): starlume-play pauses and
# plays on a schedule while parec records the sink's monitor, and /proc gives
# the CPU time of each of its threads.
#
#   tools/measure-transport.sh [cycles=3]
#
# Reports: the audio thread's CPU over 10 s playing and 10 s paused (one-core
# percent, from /proc/PID/task/*/stat), then for each pause the time from the
# request to exact silence at the monitor, and for each play the time from the
# request to the first sound. The recording is lined up with the requests by
# the realtime clock at its end (the null sink's monitor runs on the same
# clock), so the times carry the few milliseconds that parec still held.
#
# Expects a built tree in build/ (or $STARLUME_BUILD_DIR).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${STARLUME_BUILD_DIR:-$root/build}"
player="$build/tools/starlume-play"
cycles=${1:-3}
[ -x "$player" ] || { echo "measure-transport: build starlume-play first ($player)" >&2; exit 2; }
source "$root/tools/private-desktop.sh" # thread_cpu_ticks, median

dir=$(mktemp -d /tmp/starlume-transport.XXXXXX)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  [ -n "${KEEP:-}" ] && echo "kept $dir" >&2 || rm -rf "$dir"
}
trap cleanup EXIT

env -u DBUS_SESSION_BUS_ADDRESS -u DISPLAY HOME="$dir" PULSE_RUNTIME_PATH="$dir" PULSE_STATE_PATH="$dir" \
  pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --disable-shm=no \
  --load="module-native-protocol-unix socket=$dir/native auth-anonymous=1" \
  --load="module-null-sink sink_name=measure rate=48000 channels=2 format=float32le" \
  >"$dir/server.log" 2>&1 &
pids+=($!)
export PULSE_SERVER="unix:$dir/native"
for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.05; done

# Timeline (s): sound from ~0.75; CPU playing over 8..18; pause at 18; CPU
# paused over 20..30; play at 31; then a pause and a play every 2.5 s.
pauses=(18) plays=(31)
t=31
for _ in $(seq 2 "$cycles"); do
  pauses+=($((t + 3))); plays+=($((t + 6))); t=$((t + 6))
done
seconds=$((t + 3))
args=(--seconds "$seconds")
for p in "${pauses[@]}"; do args+=(--pause-at "$p"); done
for p in "${plays[@]}"; do args+=(--play-at "$p"); done

"$player" "${args[@]}" >"$dir/play.out" 2>"$dir/play.err" &
player=$!
# Recorded once the sink is busy with the stream: an idle null sink takes a
# while to deliver its monitor, which would put the recording out of line.
sleep 3
parec --device=measure.monitor --raw --format=float32le --rate=48000 --channels=2 --latency-msec=5 >"$dir/monitor.raw" &
pids+=($!)
tick=$(getconf CLK_TCK)
audio_percent() { # before after seconds
  join <(sort "$1") <(sort "$2") | awk -v tick="$tick" -v secs="$3" \
    '$2 == "starlume-audio" { printf "%.2f", ($5 - $3) / tick / secs * 100 }'
}
sleep 5;  thread_cpu_ticks "$player" >"$dir/play.before"
sleep 10; thread_cpu_ticks "$player" >"$dir/play.after"
sleep 2;  thread_cpu_ticks "$player" >"$dir/pause.before"
sleep 10; thread_cpu_ticks "$player" >"$dir/pause.after"
wait "$player"
sleep 0.2
t_end=$(date +%s.%N)
kill "${pids[-1]}" 2>/dev/null || true
wait "${pids[-1]}" 2>/dev/null || true
# The recording's last frame is now; its first, its length earlier.
frames=$(($(stat -c %s "$dir/monitor.raw") / 8))
t0=$(awk -v end="$t_end" -v n="$frames" 'BEGIN { printf "%.6f", end - n / 48000 }')

echo "audio thread (starlume-audio), one-core percent over 10 s:"
echo "  playing: $(audio_percent "$dir/play.before" "$dir/play.after" 10) %"
echo "  paused:  $(audio_percent "$dir/pause.before" "$dir/pause.after" 10) %"
echo "every thread while paused:"
join <(sort "$dir/pause.before") <(sort "$dir/pause.after") |
  awk -v tick="$tick" '{ printf "  %-18s %6.2f %%\n", $2, ($5 - $3) / tick / 10 * 100 }'

# Frames of the requests in the recording, then the first exact silence
# after each pause (silent to the next play) and the first sound after each play.
awk '{ print $1, $4 }' "$dir/play.out" | grep -E '^(pause|play) ' >"$dir/requests" || true
od -An -v -f -w8 "$dir/monitor.raw" |
  awk -v t0="$t0" -v requests="$dir/requests" '
    BEGIN {
      while ((getline line < requests) > 0) {
        split(line, f, " "); n++; kind[n] = f[1]; at[n] = int((f[2] - t0) * 48000)
      }
      for (i = 1; i <= n; i++) {
        bound[i] = 1e18
        for (j = i + 1; j <= n; j++) if (kind[j] == "play") { bound[i] = at[j]; break }
      }
    }
    { frame = NR - 1; loud = ($1 != 0 || $2 != 0)
      for (i = 1; i <= n; i++) {
        if (frame < at[i]) continue
        if (kind[i] == "play" && !(i in done) && loud) { done[i] = frame }
        if (kind[i] == "pause" && loud && frame < bound[i]) { last[i] = frame }
      }
    }
    END {
      for (i = 1; i <= n; i++) {
        if (kind[i] == "pause") {
          # the last sound before the next play
          end = (i in last) ? last[i] : at[i]
          printf "pause-to-silence %.1f ms\n", (end + 1 - at[i]) / 48
        } else if (i in done) {
          printf "play-to-sound %.1f ms\n", (done[i] - at[i]) / 48
        } else {
          printf "play-to-sound none\n"
        }
      }
    }' >"$dir/times"
cat "$dir/times" | sed 's/^/  /'
echo "pause-to-silence median: $(awk '/pause-to-silence/ { print $2 }' "$dir/times" | median) ms"
echo "play-to-sound median: $(awk '/play-to-sound/ && $2 != "none" { print $2 }' "$dir/times" | median) ms"
