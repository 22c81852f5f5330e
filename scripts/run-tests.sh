#!/usr/bin/env bash
# Runs the whole test suite on a built tree.
set -euo pipefail
build=$1
ctest --test-dir "$build" --output-on-failure --timeout 600
