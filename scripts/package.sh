#!/usr/bin/env bash
# Builds the suite's Debian package from a clean copy of the source tree and writes it to dist/
# (or to the folder named): bash scripts/package.sh [folder]. As root it installs what the build
# needs from Debian first. Install with: apt-get install ./dist/*.deb
set -euo pipefail
out=$(realpath -m "${1:-$(dirname "$0")/../dist}")
cd "$(dirname "$0")/.."
root=$PWD

tools="git dpkg-dev debhelper lintian appstream"
if [ "$(id -u)" -eq 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    # shellcheck disable=SC2086
    have=$(dpkg-query -W -f='${Status}\n' $tools 2>/dev/null | grep -c ' installed$' || true)
    if [ "$have" -lt "$(wc -w <<<"$tools")" ] || ! dpkg-checkbuilddeps >/dev/null 2>&1; then
        apt-get update -qq
        # shellcheck disable=SC2086
        apt-get install -y -qq --no-install-recommends $tools >/dev/null
        apt-get build-dep -y -qq --no-install-recommends ./ >/dev/null
    fi
else
    echo "package: not root, assuming the build dependencies in debian/control are installed" >&2
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A clean copy: the files git knows, as they stand in the work tree, without build folders or other
# leftovers (outside a git clone, everything but those).
src="$work/multimedia-techniques-1.00"
mkdir "$src"
if git -C "$root" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git -C "$root" ls-files -z --cached --others --exclude-standard \
        | (cd "$root" && xargs -0 -r sh -c 'for f; do [ -e "$f" ] && printf "%s\0" "$f"; done' sh) \
        | tar -C "$root" --null -T - -cf - | tar -C "$src" -xf -
else
    tar -C "$root" --exclude=./build --exclude='./build-*' --exclude=./dist --exclude='./obj-*' -cf - . | tar -C "$src" -xf -
fi

(cd "$src" && dpkg-buildpackage -b -us -uc -j"$(nproc)")

mkdir -p "$out"
rm -f "$out"/multimedia-techniques_*.deb
cp "$work"/*.deb "$out"/
ls -1 "$out"/*.deb
