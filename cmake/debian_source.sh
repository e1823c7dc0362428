#!/usr/bin/env bash
# Fetches Debian source packages into a cache the builds share, through a
# private apt configuration kept in that cache: the system's apt sources are
# read, never edited. A package already unpacked is not fetched again.
#
#   cmake/debian_source.sh DEST PACKAGE...
#
# Prints, one line per package, the folder its unpacked source is in.
set -euo pipefail

dest=$1
shift
mkdir -p "$dest"
dest=$(cd "$dest" && pwd)
apt_dir=$dest/apt

unpacked() {  # the unpacked source folder of package $1, if any
  find "$dest" -maxdepth 1 -mindepth 1 -type d -name "$1-*" | sort | tail -n 1
}

apt_private() {
  apt-get -q -o Dir::Etc::SourceList=/dev/null \
    -o Dir::Etc::SourceParts="$apt_dir/sources.list.d" \
    -o Dir::State::Lists="$apt_dir/lists" \
    -o Dir::Cache="$apt_dir/cache" \
    -o Debug::NoLocking=1 -o APT::Sandbox::User=root "$@"
}

# deb-src entries mirroring the system's deb entries (deb822 and one-line forms).
write_sources() {
  mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
  local out=$apt_dir/sources.list.d/debian-src.sources
  : >"$out"
  local f
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -e "$f" ] || continue
    grep -q -E '^URIs:.*debian' "$f" || continue
    sed -e 's/^Types:.*/Types: deb-src/' "$f" >>"$out"
    printf '\n' >>"$out"
  done
  if [ -f /etc/apt/sources.list ]; then
    grep -E '^deb [^ ]*debian' /etc/apt/sources.list | sed 's/^deb /deb-src /' \
      >"$apt_dir/sources.list.d/debian-src.list" || true
  fi
}

need=()
for p in "$@"; do
  [ -n "$(unpacked "$p")" ] || need+=("$p")
done
if ((${#need[@]})); then
  command -v dpkg-source >/dev/null || {
    echo "debian_source.sh: dpkg-dev is needed to unpack source packages" >&2
    exit 1
  }
  write_sources
  apt_private update >/dev/null
  (cd "$dest" && apt_private source "${need[@]}" >/dev/null)
fi
for p in "$@"; do
  dir=$(unpacked "$p")
  [ -n "$dir" ] || {
    echo "debian_source.sh: no source of $p in $dest" >&2
    exit 1
  }
  echo "$dir"
done
