#!/usr/bin/env bash
# Unpacks the Debian source package PACKAGE into DEST (for the Windows cross-build, which
# cannot link the machine's Linux libraries). Uses an apt source list and cache of its own
# under DEST's parent, so the machine's apt sources stay as they are.
#   scripts/debian-source.sh PACKAGE DEST
set -euo pipefail
package=$1
dest=$2
work=$(dirname "$dest")/apt-$package
mkdir -p "$work/lists/partial" "$work/cache/archives/partial" "$work/src"
suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian $suite main" \
    > "$work/sources.list"
opts=(-o "Dir::Etc::SourceList=$work/sources.list" -o "Dir::Etc::SourceParts=/dev/null"
      -o "Dir::State::Lists=$work/lists" -o "Dir::Cache=$work/cache" -o "Debug::NoLocking=1"
      -o "APT::Sandbox::User=root" -qq)
apt-get "${opts[@]}" update
(cd "$work/src" && apt-get "${opts[@]}" source "$package" >/dev/null)
unpacked=$(find "$work/src" -mindepth 1 -maxdepth 1 -type d -name "$package-*" | head -n 1)
[ -n "$unpacked" ] || { echo "debian-source: $package was not unpacked" >&2; exit 1; }
rm -rf "$dest"
mv "$unpacked" "$dest"
rm -rf "$work"
