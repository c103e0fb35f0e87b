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

# Configures build/ARCH, with or without the tests (ON or OFF).
nl_configure() {
    cmake -S "$NL_ROOT" -B "$NL_ROOT/build/$1" -DCMAKE_TOOLCHAIN_FILE="$NL_ROOT/cmake/toolchain-$1.cmake" \
        -DCMAKE_BUILD_TYPE=MinSizeRel -DNL_BUILD_TESTS="$2" >/dev/null
}

# For the benchmarks: the build whose programs run here, brought up to date
# with the given extra targets; sets ARCH and BUILD.
nl_bench_build() {
    ARCH=$(cat "$NL_ROOT/build/test-arch" 2>/dev/null || nl_test_arch)
    BUILD=$NL_ROOT/build/$ARCH
    [ -f "$BUILD/CMakeCache.txt" ] || sh "$NL_ROOT/scripts/build.sh"
    cmake -S "$NL_ROOT" -B "$BUILD" >/dev/null
    cmake --build "$BUILD" --target "$@" -- --no-print-directory >/dev/null
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
