#!/usr/bin/env bash
# Builds everything twice (plain, then with ASan and UBSan) and runs the whole suite both ways.
set -euo pipefail
cd "$(dirname "$0")/.."
for preset in default asan; do
  cmake --preset "$preset"
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done
