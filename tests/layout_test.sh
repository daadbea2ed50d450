#!/bin/sh
# The code's layout is .clang-format's: every C and C++ file that git tracks
# reads as clang-format would write it. Skipped (77) without clang-format or
# outside a git checkout.
#   tests/layout_test.sh SOURCE-DIR
cd "$1" || exit 1
command -v clang-format >/dev/null && git rev-parse --is-inside-work-tree >/dev/null 2>&1 || exit 77
git ls-files -z '*.c' '*.cc' '*.h' | xargs -0 clang-format --dry-run --Werror
