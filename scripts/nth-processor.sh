#!/usr/bin/env bash
# Prints the id of processor N (counted from 0) among those this process may
# run on, or nothing where it may run on fewer: CTest numbers processors
# from 0 (tests/CMakeLists.txt), and a machine may give a program others
# than 0, 1, ... (a container's share of a larger machine).
set -euo pipefail
n="$1"
IFS=, read -ra ranges <<<"$(sed -n 's/^Cpus_allowed_list:[[:space:]]*//p' /proc/self/status)"
for range in "${ranges[@]}"; do
    for id in $(seq "${range%-*}" "${range#*-}"); do
        if [ "$n" = 0 ]; then
            echo "$id"
            exit 0
        fi
        n=$((n - 1))
    done
done
