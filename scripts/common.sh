# Shared by the project's scripts: where things are and which Windows
# architecture this machine can run under Wine.

NL_ROOT=$(cd "$(dirname "$0")/.." && pwd)

# A minimal 32-bit Linux program that only exits with 0. Some kernels run
# 64-bit code only; there 32-bit Wine cannot start at all.
nl_can_run_i386() {
    probe=$(mktemp)
    echo 'f0VMRgEBAQAAAAAAAAAAAAIAAwABAAAAVIAECDQAAAAAAAAAAAAAADQAIAABAAAAAAAAAAEAAAAAAAAAAIAECACABAhdAAAAXQAAAAUAAAAAEAAAuAEAAAAx282A' \
        | base64 -d > "$probe"
    chmod +x "$probe"
    "$probe" 2>/dev/null
    result=$?
    rm -f "$probe"
    return $result
}

# The architecture whose build runs under Wine here: the product's own i686
# where 32-bit code runs, else the same sources built for x86_64.
nl_test_arch() {
    if nl_can_run_i386; then echo i686; else echo x86_64; fi
}

# The Wine loader and server for an architecture.
nl_wine_loader() {
    if [ "$1" = i686 ]; then echo /usr/lib/wine/wine; else echo /usr/lib/wine/wine64; fi
}
nl_wine_server() {
    if [ "$1" = i686 ]; then echo /usr/lib/wine/wineserver32; else echo /usr/lib/wine/wineserver64; fi
}

# Configures one architecture in build/ARCH, with the tests (and the tools
# that use their driver) when the second argument is ON.
nl_configure() {
    cmake -S "$NL_ROOT" -B "$NL_ROOT/build/$1" -DCMAKE_TOOLCHAIN_FILE="$NL_ROOT/cmake/toolchain-$1.cmake" \
        -DCMAKE_BUILD_TYPE=MinSizeRel -DNL_BUILD_TESTS="$2" >/dev/null
}
nl_configure_and_build() {
    nl_configure "$1" "$2"
    cmake --build "$NL_ROOT/build/$1" -j"$(nproc)" -- --no-print-directory
}

# The architectures whose builds run under Wine here: x86_64 always, i686
# too where this machine runs 32-bit code.
nl_wine_arches() {
    if nl_can_run_i386; then echo "i686 x86_64"; else echo x86_64; fi
}

# The start time of a process, in clock ticks after boot: with its id it
# names one process, since an id given again belongs to a later one.
nl_process_start() {   # nl_process_start PID
    sed 's/^.*) //' "/proc/$1/stat" 2>/dev/null | cut -d' ' -f20
}

# Stops the Xvfb server that scripts/wine-run.sh recorded in an info file
# (display, process id, start time) and waits until it has ended, so that
# no later run finds it still answering to kill -0 while it stops. The file
# goes first: nothing takes that server from now on. A file of earlier
# runs, without the start time, names its server by the id alone.
nl_stop_xvfb() {   # nl_stop_xvfb INFO
    pid=$(sed -n 2p "$1")
    start=$(sed -n 3p "$1")
    rm -f "$1"
    if [ -z "$start" ] && [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = Xvfb ]; then
        start=$(nl_process_start "$pid")
    fi
    [ -n "$start" ] && [ "$(nl_process_start "$pid")" = "$start" ] || return 0
    kill "$pid" 2>/dev/null || return 0
    for _ in $(seq 100); do
        [ "$(nl_process_start "$pid")" = "$start" ] || return 0
        sleep 0.1
    done
    kill -9 "$pid" 2>/dev/null || true
}

# Ends what scripts/wine-run.sh left running for a build: the processes of
# each of its prefixes and its Xvfb servers.
nl_stop_wine() {   # nl_stop_wine BUILD_DIR ARCH
    for prefix in "$1"/wine/*/; do
        [ -d "$prefix" ] && WINEPREFIX=$prefix "$(nl_wine_server "$2")" -k 2>/dev/null || true
    done
    for info in "$1"/wine/xvfb-*; do
        case $info in *.fd) continue ;; esac
        [ -f "$info" ] && nl_stop_xvfb "$info"
    done
    return 0
}

# For the benchmarks: the build of an architecture (by default the one the
# tests run), with its tests' driver, brought up to date with the given
# targets; sets ARCH and BUILD.
nl_bench_build() {   # nl_bench_build ARCH TARGET...
    ARCH=$1
    shift
    BUILD=$NL_ROOT/build/$ARCH
    sh "$NL_ROOT/scripts/deps.sh"
    if grep -qs '^NL_BUILD_TESTS:BOOL=ON' "$BUILD/CMakeCache.txt"; then
        cmake -S "$NL_ROOT" -B "$BUILD" >/dev/null
    else
        nl_configure "$ARCH" ON
    fi
    cmake --build "$BUILD" -j"$(nproc)" --target "$@" -- --no-print-directory >/dev/null
}

# Benchmark payload: library code from this machine, neither random (it
# compresses) nor text. nl_bench_corpus FILE BYTES writes at least BYTES.
nl_bench_corpus() {
    find /usr/lib -type f -size +512k \( -name '*.so*' -o -name '*.a' \) 2>/dev/null | sort \
        | while read -r f; do
            cat "$f"
            [ "$(stat -c %s "$1")" -gt "$2" ] && break
        done > "$1"
}
