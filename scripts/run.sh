#!/usr/bin/env bash
# Installs what is needed, builds the editor and starts it. Arguments go to the editor.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh build -DCMAKE_BUILD_TYPE=Release -DVARNET_TESTS=OFF
exec ./build/varnet "$@"
