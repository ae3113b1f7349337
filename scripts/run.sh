#!/usr/bin/env bash
# Sets everything up and starts Quillet on its demo data (created on first start).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
exec build/bin/quillet
