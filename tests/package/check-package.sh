#!/usr/bin/env bash
# Builds the Debian package from an already built tree and checks it the way a
# user's system would see it: lintian, the desktop files as packaged, and the
# packaged program itself started from an extracted root on the test display.
#
#   check-package.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
work=$(mktemp -d)
app= bus=
cleanup() {
  for pid in $app $bus; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "package: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 \
  || { cat "$work/cpack.log"; fail "cpack failed"; }
arch=$(dpkg --print-architecture)
deb="$work/out/starlume_${version}_${arch}.deb"
[ -f "$deb" ] || { ls "$work/out"; fail "expected $(basename "$deb")"; }
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"

# Control fields: version, and dependencies that dpkg-shlibdeps found.
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "control Version is not $version"
[ "$(dpkg-deb -f "$deb" Section)" = sound ] || fail "control Section is not sound"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6quick6 libpulse0 libc6; do
  grep -q "\b$lib (>=" <<<"$depends" || fail "Depends lacks $lib (shlibdeps): $depends"
done
grep -q "qml6-module-qtquick-controls" <<<"$depends" || fail "Depends lacks the QML modules: $depends"

# Errors fail; warnings are shown, not fatal.
lintian_out=$(lintian --allow-root --fail-on error "$deb" 2>&1) || {
  echo "$lintian_out"; fail "lintian reports errors"; }
echo "lintian: $(grep -c '^E:' <<<"$lintian_out" || true) errors, $(grep -c '^W:' <<<"$lintian_out" || true) warnings"
[ -z "$lintian_out" ] || echo "$lintian_out"

root="$work/root"
dpkg-deb -x "$deb" "$root"
id=io.github.starlume.Starlume
for f in usr/bin/starlume usr/share/applications/$id.desktop usr/share/metainfo/$id.metainfo.xml \
         usr/share/icons/hicolor/scalable/apps/starlume.svg usr/share/doc/starlume/copyright; do
  [ -e "$root/$f" ] || fail "not packaged: $f"
done
extra=$(cd "$root" && find . -type f | grep -v -E "^\./usr/(bin/starlume|share/(applications|metainfo|icons|doc|man/man1)/)" || true)
[ -z "$extra" ] || fail "unexpected files in the package: $extra"
desktop-file-validate "$root/usr/share/applications/$id.desktop" || fail "desktop entry invalid"
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" >"$work/as.log" 2>&1 \
  || { cat "$work/as.log"; fail "metainfo invalid"; }
grep -q "<release version=\"$version\"" "$root/usr/share/metainfo/$id.metainfo.xml" \
  || fail "the metainfo has no release $version"

# The packaged binary: version line, then a real start on the test display.
printed=$("$root/usr/bin/starlume" --version)
[ "$printed" = "Starlume $version" ] || fail "--version printed '$printed'"

[ -n "${DISPLAY:-}" ] || fail "no DISPLAY (run through scripts/test)"
# Its own bus and settings, so that a Starlume started by another test is not
# asked to raise its window instead.
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
dbus-daemon --session --nofork --nopidfile --print-address=1 >"$work/bus" 2>/dev/null &
bus=$!
for _ in $(seq 50); do [ -s "$work/bus" ] && break; sleep 0.1; done
[ -s "$work/bus" ] || fail "no private session bus"
export DBUS_SESSION_BUS_ADDRESS=$(head -1 "$work/bus")
STARLUME_REPORT_FIRST_FRAME=1 "$root/usr/bin/starlume" >"$work/app.out" 2>"$work/app.err" &
app=$!
for _ in $(seq 600); do
  grep -q "first frame on screen" "$work/app.err" && break
  kill -0 "$app" 2>/dev/null || break
  sleep 0.1
done
grep -q "first frame on screen" "$work/app.err" || { cat "$work/app.err"; fail "the packaged program drew no frame"; }
if grep -E "module .* is not installed|QQmlApplicationEngine failed|qrc:.*Error" "$work/app.err"; then
  fail "the packaged program reports QML errors"
fi
kill -TERM "$app"
status=0
wait "$app" || status=$?
app=
[ "$status" -eq 0 ] || { cat "$work/app.err"; fail "the packaged program ended with status $status after SIGTERM"; }
echo "package: 1 passed, 0 failed"
