# Sourced by the measurement scripts: a private desktop of their own, never
# the user's. start_private_desktop NAME WxH starts an Xvfb screen of that
# size (with Mesa), a session bus and a PulseAudio server with a null sink,
# points HOME, XDG and the servers' variables at a temporary session
# directory ($session), and removes it all when the script exits.

start_private_desktop() {
  session=$(mktemp -d "/tmp/starlume-$1.XXXXXX")
  pids=()
  trap stop_private_desktop EXIT

  export HOME="$session/home" XDG_CONFIG_HOME="$session/config" XDG_RUNTIME_DIR="$session/run"
  mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" "$session/pulse"
  chmod 700 "$XDG_RUNTIME_DIR"
  unset WAYLAND_DISPLAY QT_QPA_PLATFORM QT_QUICK_BACKEND

  Xvfb -displayfd 5 -screen 0 "$2x24" -nolisten tcp 5>"$session/display" 2>"$session/xvfb.log" &
  pids+=($!)
  for _ in $(seq 50); do [ -s "$session/display" ] && break; sleep 0.1; done
  export DISPLAY=":$(cat "$session/display")"

  dbus-daemon --session --nofork --nopidfile --print-address=1 >"$session/bus" &
  pids+=($!)
  for _ in $(seq 50); do [ -s "$session/bus" ] && break; sleep 0.1; done
  export DBUS_SESSION_BUS_ADDRESS=$(head -1 "$session/bus")

  export PULSE_RUNTIME_PATH="$session/pulse" PULSE_STATE_PATH="$session/pulse"
  pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --disable-shm=yes \
    --load="module-native-protocol-unix socket=$session/pulse/native auth-anonymous=1" \
    --load="module-null-sink sink_name=starlume_null rate=48000 channels=2" \
    --load="module-always-sink" >"$session/pulse/log" 2>&1 &
  pids+=($!)
  export PULSE_SERVER="unix:$session/pulse/native"
  printf 'autospawn = no\n' >"$session/client.conf"
  export PULSE_CLIENTCONFIG="$session/client.conf"
  for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
}

stop_private_desktop() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$session"
}

# thread_cpu_ticks PID: a line per thread of PID: its id, its name (the main
# thread as "main", by its id: its name can change under it) and its CPU
# time so far, utime + stime in clock ticks.
thread_cpu_ticks() {
  for t in /proc/"$1"/task/*; do
    [ -r "$t/stat" ] || continue
    name=$(tr ' ' '_' <"$t/comm")
    [ "${t##*/}" = "$1" ] && name=main
    # the fields after the command's closing parenthesis
    printf '%s %s %s\n' "${t##*/}" "$name" "$(sed 's/.*) //' "$t/stat" | awk '{ print $12 + $13 }')"
  done
}

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
