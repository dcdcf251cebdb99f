#!/usr/bin/env bash
# Sets up, builds and starts one program of the suite (blendview when none is named).
set -euo pipefail
cd "$(dirname "$0")/.."
program=${1:-blendview}
case "$program" in
    blendview|spritemask|modeswitch|tcpterm|joy|stickpoll|tickplot|wavefile|wavememory|grabmove|bareframe|linkopen) ;;
    *) echo "run: unknown program '$program'" >&2; exit 2 ;;
esac
bash scripts/setup.sh
# Programs that read files find them in their working directory, beside the executable.
cd "build/$program"
exec "./$program"
