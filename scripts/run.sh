#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds everything and starts the workbench.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset default
cmake --build --preset default -j "$(nproc)"
exec build/app/VelmoraJPEG2000B "$@"
