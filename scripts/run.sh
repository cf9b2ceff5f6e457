#!/usr/bin/env bash
# Installs what is missing, builds in Release and starts the program.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
bash "$here/scripts/install-deps.sh"
cmake -S "$here" -B "$here/build" -DCMAKE_BUILD_TYPE=Release
cmake --build "$here/build" -j"$(nproc)" --target kq-730
exec "$here/build/bin/kq-730" "$@"
