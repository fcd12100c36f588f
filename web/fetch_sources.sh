#!/usr/bin/env bash
# The sources of zlib, minizip and pugixml, of the very versions the native
# build links, as Debian's source packages: emscripten's own ports would be
# downloaded at build time, which cannot be done here.
#   fetch_sources.sh DIR
set -euo pipefail
dest="$1"
mkdir -p "$dest"
if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
  if [ "$(id -u)" != 0 ]; then echo "run as root once: apt-get source needs deb-src entries"; exit 1; fi
  # The source entries mirror the binary ones already set up.
  for f in /etc/apt/sources.list.d/*.sources; do
    sed 's/^Types: deb$/Types: deb-src/' "$f" > "/etc/apt/sources.list.d/tavo-src-$(basename "$f")"
  done
  apt-get update
fi
cd "$dest"
for pair in zlib:zlib1g-dev minizip:libminizip-dev pugixml:libpugixml-dev; do
  source="${pair%%:*}" binary="${pair##*:}"
  version="$(dpkg-query -W -f='${source:Version}' "$binary")"
  [ -n "$(ls -d "$source"-*/ 2>/dev/null)" ] || apt-get source --only-source "$source=$version"
done
