#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what desktops need of it: the program, its
# pictures, the desktop entry, the AppStream metadata and the icon, validated by the validators
# when they are installed.
set -euo pipefail
build="$1"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
id=com.quorvandale.TextLink
for f in bin/textlink lib/textlink/bubble/style.css "share/applications/$id.desktop" \
         "share/metainfo/$id.metainfo.xml" "share/icons/hicolor/scalable/apps/$id.svg"; do
  [ -e "$prefix/$f" ] || { echo "not installed: $f" >&2; exit 1; }
done
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/$id.desktop"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/$id.metainfo.xml"
fi
