#!/usr/bin/env bash
# Installs what the suite needs from Debian (as root, idempotent) and builds it in build/.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "$(id -u)" -eq 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    missing=$(xargs -a scripts/debian-packages.txt dpkg-query -W -f='${Package} ${Status}\n' 2>/dev/null \
              | awk '$NF != "installed" {print $1}' || true)
    wanted=$(grep -cv '^\s*$' scripts/debian-packages.txt)
    have=$(xargs -a scripts/debian-packages.txt dpkg-query -W -f='${Status}\n' 2>/dev/null | grep -c ' installed$' || true)
    if [ -n "$missing" ] || [ "$have" -lt "$wanted" ]; then
        apt-get update -qq
        xargs -a scripts/debian-packages.txt apt-get install -y -qq --no-install-recommends >/dev/null
    fi
else
    echo "setup: not root, assuming the Debian packages in scripts/debian-packages.txt are installed" >&2
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
