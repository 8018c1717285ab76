#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what the desktop sees:
# the binary, a valid launcher entry, the icon, and AppStream metadata that
# validates together with them.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null

id=io.github.starlume.Starlume
desktop="$prefix/share/applications/$id.desktop"
metainfo="$prefix/share/metainfo/$id.metainfo.xml"
icon="$prefix/share/icons/hicolor/scalable/apps/starlume.svg"
for f in "$prefix/bin/starlume" "$desktop" "$metainfo" "$icon"; do
  [ -e "$f" ] || { echo "not installed: ${f#$prefix/}"; exit 1; }
done
[ -x "$prefix/bin/starlume" ] || { echo "bin/starlume is not executable"; exit 1; }

desktop-file-validate "$desktop"
grep -qx 'Icon=starlume' "$desktop" || { echo "the launcher does not name the installed icon"; exit 1; }
grep -qx 'Exec=starlume' "$desktop" || { echo "the launcher does not start the installed binary"; exit 1; }
appstreamcli validate --no-net "$metainfo"
appstreamcli validate-tree --no-net "$prefix"
echo "desktop integration: 1 passed, 0 failed"
