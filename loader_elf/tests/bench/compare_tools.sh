#!/usr/bin/env bash
# Times the reference tools on the benchmark's large image, for the figures
# beside tarnel_bench's:
#   loader_elf/tests/bench/compare_tools.sh [build/fixtures/tarnel_big.elf]
set -euo pipefail
image=${1:-build/fixtures/tarnel_big.elf}
stamp() { date +%s.%N; }
run() {
    local what=$1
    shift
    local best=
    for _ in 1 2 3; do
        local t0 t1
        t0=$(stamp)
        "$@" >/dev/null 2>&1
        t1=$(stamp)
        best=$(awk -v a="$t0" -v b="$t1" -v best="$best" \
            'BEGIN { t = b - a; if (best == "" || t < best) best = t; print best }')
    done
    printf '%-48s %8.3f s\n' "$what" "$best"
}
ls -l "$image"
run "gdb-multiarch -batch (partial symbols)" gdb-multiarch -batch -nx "$image"
run "gdb-multiarch -batch -readnow (all symbols)" gdb-multiarch -batch -nx -readnow "$image"
run "arm-none-eabi-readelf --debug-dump" arm-none-eabi-readelf --debug-dump "$image"
run "build/bin/ldrdump (load with symbols, print)" build/bin/ldrdump "$image"
