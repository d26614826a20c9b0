#!/usr/bin/env bash
# Builds the benchmarks in release mode and runs them; an argument filters the cases by name.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh build-bench -DCMAKE_BUILD_TYPE=Release -DVARNET_TESTS=OFF -DVARNET_BENCH=ON
QT_QPA_PLATFORM=offscreen ./build-bench/varnet_bench "$@"
