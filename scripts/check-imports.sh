#!/bin/sh
# Checks a built setup.exe: it imports from exactly the six system DLLs the
# product may use (VERSION is loaded by path at run time, LZ32 not at all), no
# function that Windows 95 or Windows NT 4 lacks, and (for the i686 build) is a 4.0
# executable. With "subset" as third argument (the product's other
# programs), it may import fewer of the six.
set -e
exe=$1
arch=${2:-i686}
mode=${3:-all}
objdump=$arch-w64-mingw32-objdump
allowed="KERNEL32.dll USER32.dll GDI32.dll ADVAPI32.dll SHELL32.dll ole32.dll"
# Functions that appeared after Windows 95 and that compilers or careless
# code tend to pull in.
denied="IsDebuggerPresent InitializeCriticalSectionAndSpinCount GetDiskFreeSpaceExA \
GetFileAttributesExA SetFilePointerEx GetFileSizeEx InterlockedCompareExchange \
TryEnterCriticalSection GetLongPathNameA GetModuleHandleExA SetDllDirectoryA"
# Windows NT 4's KERNEL32 has no Tool Help: a program importing it does not
# start there.
denied="$denied CreateToolhelp32Snapshot Module32First Module32Next Process32First Process32Next \
Thread32First Thread32Next Heap32ListFirst Heap32First Toolhelp32ReadProcessMemory"
# On i686 the Ptr forms are macros for GetWindowLongA/SetWindowLongA; only
# the 64-bit build imports them.
[ "$arch" = i686 ] && denied="$denied GetWindowLongPtrA SetWindowLongPtrA"

dump=$($objdump -p "$exe")
status=0
dlls=$(echo "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p')
for dll in $dlls; do
    ok=0
    for a in $allowed; do
        [ "$(echo "$dll" | tr a-z A-Z)" = "$(echo "$a" | tr a-z A-Z)" ] && ok=1
    done
    if [ $ok = 0 ]; then echo "FAIL: imports $dll"; status=1; fi
done
for f in $denied; do
    if echo "$dump" | grep -qw "$f"; then echo "FAIL: imports $f"; status=1; fi
done
# Windows 95's KERNEL32 has no LZ functions, and the program has its own.
lz_from_kernel=$(echo "$dump" | awk '
    /DLL Name:/ { dll = toupper($3) }
    dll == "KERNEL32.DLL" && ($3 ~ /^LZ/ || $3 ~ /^(CopyLZFile|GetExpandedNameA)$/) { print $3 }')
for f in $lz_from_kernel; do echo "FAIL: imports $f from KERNEL32"; status=1; done
if [ "$arch" = i686 ]; then
    subsystem=$(echo "$dump" | awk '/MajorSubsystemVersion/{a=$2} /MinorSubsystemVersion/{b=$2} END{print a"."b}')
    osversion=$(echo "$dump" | awk '/MajorOSystemVersion/{a=$2} /MinorOSystemVersion/{b=$2} END{print a"."b}')
    [ "$subsystem" = 4.0 ] || { echo "FAIL: subsystem version $subsystem"; status=1; }
    [ "$osversion" = 4.0 ] || { echo "FAIL: OS version $osversion"; status=1; }
fi
[ "$mode" = subset ] || for a in $allowed; do
    echo "$dlls" | grep -qix "$a" || { echo "FAIL: does not import $a"; status=1; }
done
echo "$dlls" | tr '\n' ' '; echo
[ $status = 0 ] && echo "$(basename "$exe") imports: ok"
exit $status
