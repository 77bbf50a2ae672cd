#!/usr/bin/env bash
# Fails when a C or C++ file of the tree differs from what clang-format makes
# of it (.clang-format at the root). The generated code page table is left
# as its generator writes it.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files -- '*.c' '*.cc' '*.h' ':!:*gbk_tables.cc' | xargs clang-format --dry-run -Werror
