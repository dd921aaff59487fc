#!/usr/bin/env bash
# The product's folders are layers: each names files only of its own folder and of the
# folders below it, so that the folder-level include graph has no circle. Nothing the
# project ships, nor its tools and benchmarks, stands on the tests.
#   productlayout.sh <source folder>
set -u
root=${1:?usage: productlayout.sh <source folder>}
# From the ground up; res holds only the resources' identifiers.
layers=(res base image tooltip api exitwnd settings plugin)
status=0

for ((i = 0; i < ${#layers[@]}; i++)); do
  folder=${layers[$i]}
  allowed=" ${layers[*]:0:$((i + 1))} "
  while IFS=: read -r file line included; do
    named=${included%%/*}
    case " ${layers[*]} " in *" $named "*) ;; *) continue ;; esac
    if [[ "$allowed" != *" $named "* ]]; then
      echo "$file:$line: $folder stands above $named, not below it: $included"
      status=1
    fi
  done < <(grep -rnoE '^#include "[a-z]+/[^"]+"' "$root/$folder" --include='*.h' \
             --include='*.cpp' --include='*.c' --include='*.rc' |
           sed -E 's/#include "([^"]+)"/\1/')
done

for folder in "${layers[@]}" host dock tools packaging bench; do
  if grep -rn "tests/" "$root/$folder"; then
    echo "productlayout: the files above name the tests" >&2
    status=1
  fi
done
exit $status
