#!/usr/bin/env bash
# Installs what is missing, builds everything (warnings are errors) and runs
# every test; then does it again under the sanitizers (test-sanitize.sh).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
bash "$here/scripts/install-deps.sh"
cmake -S "$here" -B "$here/build" -DCMAKE_BUILD_TYPE=Release -DKQ_WERROR=ON
cmake --build "$here/build" -j"$(nproc)"
(cd "$here/build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)")
bash "$here/scripts/test-sanitize.sh"
