#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a fixed time (seconds, default 30),
# seeded with its corpora and the conformance suites. Known crashers are replayed first.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
CC=clang CXX=clang++ bash scripts/build.sh build-fuzz -DVARNET_GUI=OFF -DVARNET_TESTS=OFF \
  -DVARNET_FUZZ=ON -DVARNET_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
shared=../shared/testdata
for target in build-fuzz/*_fuzz; do
  name=$(basename "$target" _fuzz)
  # The open path reads both formats: it takes the PNG and BMP seeds and crashers.
  case $name in
    open) formats=(png bmp) ;;
    # Palettes are also taken from pictures.
    palette) formats=(palette png bmp) ;;
    *) formats=("$name") ;;
  esac
  seeds=()
  crashers=()
  for format in "${formats[@]}"; do
    seeds+=(fuzz/corpus/"$format")
    case $format in
      bmp) [ -d "$shared/bmpsuite" ] && seeds+=("$shared/bmpsuite/g" "$shared/bmpsuite/q" "$shared/bmpsuite/b") ;;
      png) [ -d "$shared/pngsuite" ] && seeds+=("$shared/pngsuite") ;;
    esac
    if compgen -G "tests/crashers/$format/*" >/dev/null; then
      crashers+=(tests/crashers/"$format"/*)
    fi
  done
  if [ ${#crashers[@]} -gt 0 ]; then
    echo "-- replaying ${#crashers[@]} crashers on $name"
    "$target" "${crashers[@]}"
  fi
  work=$(mktemp -d)
  echo "-- fuzzing $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
    "$work" "${seeds[@]}" 2>&1 | tail -n 40
  rm -rf "$work"
done
