#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds everything and starts the workbench.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset default
cmake --build --preset default -j "$(nproc)"
app=build/app/VelmoraJPEG2000B
if [ -x "$app" ]; then
  exec "$app" "$@"
fi
echo "Built everything under build/. The workbench program is not part of this build yet," \
     "so there is nothing to start."
