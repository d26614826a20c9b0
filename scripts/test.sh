#!/usr/bin/env bash
# Installs what is needed, checks the formatting, then builds and runs every test: the suite, the
# suite again under AddressSanitizer + UndefinedBehaviorSanitizer, and each fuzz target for a
# short fixed time.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen

echo "== formatting"
# Every tracked source file as clang-format (with the repository's .clang-format) writes it.
mapfile -t sources < <(git ls-files -- src tools tests bench fuzz | grep -E '\.(cpp|h)$')
clang-format --dry-run --Werror "${sources[@]}"

echo "== build and test"
bash scripts/build.sh build-test -DVARNET_WERROR=ON
(cd build-test && ctest --output-on-failure)

echo "== build and test under ASan + UBSan"
bash scripts/build.sh build-asan -DVARNET_WERROR=ON -DVARNET_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --output-on-failure)

echo "== fuzz"
bash scripts/fuzz.sh "${FUZZ_SECONDS:-30}"
