#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a fixed time (seconds, default 30),
# seeded with its own corpus and the conformance suites. Known crashers are replayed first.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
CC=clang CXX=clang++ bash scripts/build.sh build-fuzz -DVARNET_GUI=OFF -DVARNET_TESTS=OFF \
  -DVARNET_FUZZ=ON -DVARNET_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
shared=../shared/testdata
for target in build-fuzz/*_fuzz; do
  name=$(basename "$target" _fuzz)
  seeds=(fuzz/corpus/"$name")
  case $name in
    bmp) [ -d "$shared/bmpsuite" ] && seeds+=("$shared/bmpsuite/g" "$shared/bmpsuite/q" "$shared/bmpsuite/b") ;;
    png) [ -d "$shared/pngsuite" ] && seeds+=("$shared/pngsuite") ;;
  esac
  if [ -d "tests/crashers/$name" ] && compgen -G "tests/crashers/$name/*" >/dev/null; then
    echo "-- replaying tests/crashers/$name"
    "$target" tests/crashers/"$name"/*
  fi
  work=$(mktemp -d)
  echo "-- fuzzing $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
    "$work" "${seeds[@]}" 2>&1 | tail -n 40
  rm -rf "$work"
done
