#!/usr/bin/env bash
# Builds the whole tree with AddressSanitizer and UndefinedBehaviorSanitizer
# (build-asan/, warnings are errors) and runs every test under them, leaks
# included: any report fails its test. Expects the packages of install-deps.sh.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
cmake -S "$here" -B "$here/build-asan" -DCMAKE_BUILD_TYPE=Release -DKQ_SANITIZE=ON -DKQ_WERROR=ON
cmake --build "$here/build-asan" -j"$(nproc)"
cd "$here/build-asan"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
