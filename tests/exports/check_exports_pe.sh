#!/usr/bin/env bash
# The DLL exports exactly the functions its public header declares, and
# imports system DLLs only: the runtime is linked in and every outside
# component is loaded at run time.
set -euo pipefail
objdump=$1 dll=$2 header=$3
table=$("$objdump" -p "$dll")
exported=$(echo "$table" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
           grep -E '^\s+\[ *[0-9]+\]' | awk '{print $NF}' | sort -u)
declared=$(grep -v "^#" "$header" | grep -oE 'VOTARSIN_API[^(]*\b[A-Za-z_][A-Za-z0-9_]*\(' |
           sed -E 's/.*\b([A-Za-z_][A-Za-z0-9_]*)\($/\1/' | sort -u)
if [ -z "$declared" ]; then echo "no declarations found in $header"; exit 1; fi
if [ "$exported" != "$declared" ]; then
  echo "exported but not declared:"; comm -23 <(echo "$exported") <(echo "$declared")
  echo "declared but not exported:"; comm -13 <(echo "$exported") <(echo "$declared")
  exit 1
fi
imports=$(echo "$table" | awk '/DLL Name:/ {print toupper($3)}' | sort -u)
system="ADVAPI32.DLL KERNEL32.DLL MSVCRT.DLL SHELL32.DLL USER32.DLL"
for dll_name in $imports; do
  case " $system " in
    *" $dll_name "*) ;;
    *) echo "imports $dll_name, which is not a system DLL"; exit 1 ;;
  esac
done
echo "$(echo "$exported" | wc -l) exports match the header; imports: $(echo $imports)"
