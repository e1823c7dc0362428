#!/usr/bin/env bash
# The library exports exactly the functions its public header declares.
set -euo pipefail
lib=$1 header=$2
exported=$(nm -D --defined-only "$lib" | awk '$2 ~ /^[TtWwiI]$/ {print $3}' | sort -u)
declared=$(grep -v "^#" "$header" | grep -oE 'VOTARSIN_API[^(]*\b[A-Za-z_][A-Za-z0-9_]*\(' |
           sed -E 's/.*\b([A-Za-z_][A-Za-z0-9_]*)\($/\1/' | sort -u)
if [ -z "$declared" ]; then echo "no declarations found in $header"; exit 1; fi
if [ "$exported" != "$declared" ]; then
  echo "exported but not declared:"; comm -23 <(echo "$exported") <(echo "$declared")
  echo "declared but not exported:"; comm -13 <(echo "$exported") <(echo "$declared")
  exit 1
fi
# Nothing outside links at load time: the FPGA interface is bound at run time.
if readelf -d "$lib" | grep -E 'NEEDED.*(VoFpga|votarsinsimulation|voajel|gxrt)'; then
  echo "outside component linked at link time"; exit 1
fi
if readelf -d "$lib" | grep -q '(RPATH)'; then echo "RPATH set; only RUNPATH is allowed"; exit 1; fi
echo "$(echo "$exported" | wc -l) exports match the header"
