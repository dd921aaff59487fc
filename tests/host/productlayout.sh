#!/usr/bin/env bash
# Nothing the project ships, nor its tools and benchmarks, stands on the tests: no file
# of theirs names a file below tests/.
#   productlayout.sh <source folder>
set -u
root=${1:?usage: productlayout.sh <source folder>}
status=0
for folder in core exitwnd settings tooltip image host dock tools packaging bench; do
  if grep -rn "tests/" "$root/$folder"; then
    status=1
  fi
done
[ $status -eq 0 ] || echo "productlayout: the files above name the tests" >&2
exit $status
