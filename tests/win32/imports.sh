#!/usr/bin/env bash
# imports.sh - the programs import only DLLs every Windows has: the libraries they link
# (Hunspell, libxml2, libgettextpo ...) and the C++ run-time are inside them, so the ZIP
# runs wherever it is unzipped.
# Usage: imports.sh OBJDUMP PROGRAM.exe...
set -euo pipefail
objdump=$1
shift
own="ADVAPI32 GDI32 GLU32 IMM32 KERNEL32 msvcrt OPENGL32 SHELL32 USER32 WINMM"
status=0
for exe in "$@"; do
    for dll in $("$objdump" -p "$exe" | awk '/DLL Name:/ { print $3 }'); do
        case " $own " in
            *" ${dll%.dll} "*) ;;
            *) echo "FAIL: $(basename "$exe") imports $dll, which Windows does not have"; status=1 ;;
        esac
    done
done
exit $status
