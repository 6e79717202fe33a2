#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds the workbench and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset default
# The program and what it loads at run time (the Pictavo control library, which it registers
# itself from the build tree); no tests or benchmarks.
cmake --build --preset default -j "$(nproc)" --target VelmoraJPEG2000B
exec build/app/VelmoraJPEG2000B "$@"
