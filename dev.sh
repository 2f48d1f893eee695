#!/usr/bin/env bash
# Set-up, build, run, test and benchmark in one place.
#   ./dev.sh run    build and start the program, with the controller simulator as COM1
#   ./dev.sh test   build and run every test headless, then the sanitizer builds' tests and a short fuzzing run
#   ./dev.sh fuzz [SECONDS]   build the fuzz targets with clang and run each for SECONDS (60)
#   ./dev.sh bench  build and run the benchmarks (they print figures, they do not pass or fail)
#   ./dev.sh package  build the Debian package taloma-terminal_<version>_amd64.deb into build/package/
set -euo pipefail
cd "$(dirname "$0")"
ROOT=$PWD
BUILD=${TALOMA_BUILD_DIR:-$ROOT/build}
# Compiles are cached; the same sources in another checkout hit the same cache.
export CCACHE_BASEDIR="$ROOT"
export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
# The sanitizer and fuzz builds carry debug information, which would otherwise tie their cache entries to
# the checkout's folder; with it left out of the hash, a fresh clone elsewhere hits them too.
export CCACHE_NOHASHDIR=true

# adwaita-icon-theme: the desktop pictures of the standard commands (open, save, cut ...), also on a
# machine without a desktop of its own; the program's own drawings stand in where a theme has none.
PACKAGES=(cmake ninja-build g++ pkg-config ccache qt6-base-dev qt6-translations-l10n libcurl4-openssl-dev libjpeg62-turbo-dev
    adwaita-icon-theme)
# What the package build needs besides: dpkg-shlibdeps finds the package's dependencies, among the files
# that `file` names as programs.
PACKAGE_PACKAGES=(dpkg-dev file)
# What only the tests need: a virtual display, clang with its sanitizer runtimes for fuzzing, pdftotext
# to read printed listings back, the desktop's checks of the installed files and lintian for the package.
TEST_PACKAGES=(xvfb xauth clang libclang-rt-dev llvm poppler-utils
    desktop-file-utils appstream mandoc shared-mime-info lintian "${PACKAGE_PACKAGES[@]}")

# Installs what is missing of the base packages and of the lists given.
ensure_packages() {
    local missing=()
    for p in "${PACKAGES[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO=sudo
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

configure() {
    local dir=$1
    shift
    cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
        -DTALOMA_WERROR="${CI:+ON}" "$@" >/dev/null
}

# Builds the given targets, or everything (tests and benchmarks included) when none are named.
build() {
    configure "$BUILD" -DCMAKE_BUILD_TYPE=Release
    if [ $# -gt 0 ]; then
        cmake --build "$BUILD" --parallel "$(nproc)" --target "$@"
    else
        cmake --build "$BUILD" --parallel "$(nproc)"
    fi
}

# The serial port's threads once more under ThreadSanitizer: a second build of the core library and
# the port's tests only.
tsan_serial() {
    local dir=${TALOMA_TSAN_BUILD_DIR:-$ROOT/build-tsan}
    configure "$dir" -DCMAKE_BUILD_TYPE=Debug -DTALOMA_TSAN=ON
    cmake --build "$dir" --parallel "$(nproc)" --target test_serial_settings test_serial_port test_serial_io test_serial_flow
    ctest --test-dir "$dir" -R '^test_serial_' --output-on-failure
}

# Every test that needs no window once more under AddressSanitizer, LeakSanitizer and
# UndefinedBehaviorSanitizer: a second build of the core library and those tests only. The widget tests
# are left out to keep CI's time (building the windows a third time costs more than all the rest).
asan_core() {
    local dir=${TALOMA_ASAN_BUILD_DIR:-$ROOT/build-asan}
    configure "$dir" -DCMAKE_BUILD_TYPE=Debug -DTALOMA_ASAN=ON
    cmake --build "$dir" --parallel "$(nproc)" --target core_tests
    ctest --test-dir "$dir" -L '^core$' --output-on-failure -j "$(nproc)"
}

# The libFuzzer targets, built with clang in build-fuzz/, each run for the given seconds on its seed
# corpus (tests/fuzz/<target>/) and what it found before (build-fuzz/corpus/<target>/). An input that
# crashes is kept in build-fuzz/findings/<target>/ and fails the run; add it to the seed corpus once
# the fault is mended, so that it is tried on every run.
fuzz() {
    local seconds=${1:-60}
    local dir=${TALOMA_FUZZ_BUILD_DIR:-$ROOT/build-fuzz}
    local targets=(fuzz_regfile fuzz_rtf fuzz_renumber fuzz_simboard)
    configure "$dir" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ -DTALOMA_FUZZ=ON
    cmake --build "$dir" --parallel "$(nproc)" --target "${targets[@]}"
    local failed=()
    for t in "${targets[@]}"; do
        local name=${t#fuzz_}
        mkdir -p "$dir/corpus/$name" "$dir/findings/$name"
        echo "== $t for $seconds s"
        if ! QT_QPA_PLATFORM=offscreen \
            ASAN_OPTIONS=detect_leaks=1 \
            LSAN_OPTIONS="suppressions=$ROOT/tests/sanitizers/lsan.supp" \
            UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
            "$dir/tests/fuzz/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
            -artifact_prefix="$dir/findings/$name/" "$dir/corpus/$name" "$ROOT/tests/fuzz/$name" \
            >"$dir/$t.log" 2>&1; then
            tail -n 60 "$dir/$t.log"
            failed+=("$t")
        else
            grep -E '^stat::(number_of_executed_units|new_units_added)' "$dir/$t.log" || true
        fi
    done
    if [ ${#failed[@]} -gt 0 ]; then
        echo "Fuzzing found faults in: ${failed[*]} (inputs in $dir/findings/)" >&2
        return 1
    fi
}

# The controller simulator as COM1, unless the user points COM1 elsewhere. It ends with the program.
start_simulator() {
    [ -n "${TALOMA_COM1:-}" ] && return 0
    local link="$BUILD/sim-COM1"
    "$BUILD/tools/basic52sim/basic52-sim" --link "$link" --log "$BUILD/sim.log" </dev/null >/dev/null &
    SIM_PID=$!
    trap 'kill "$SIM_PID" 2>/dev/null; wait "$SIM_PID" 2>/dev/null' EXIT
    for _ in $(seq 50); do [ -L "$link" ] && break; sleep 0.1; done
    export TALOMA_COM1="$link"
    echo "Controller simulator on COM1 ($link); its dialogue is logged in $BUILD/sim.log"
}

cmd=${1:-}
shift || true
case "$cmd" in
run)
    ensure_packages
    # Only what runs: the program, the simulator and what they link.
    build taloma-terminal basic52-sim
    start_simulator
    "$BUILD/src/taloma-terminal" "$@"
    ;;
test)
    ensure_packages "${TEST_PACKAGES[@]}"
    build
    export QT_QPA_PLATFORM=offscreen
    ctest --test-dir "$BUILD" --output-on-failure -j "$(nproc)" "$@"
    tsan_serial
    asan_core
    fuzz 20
    ;;
fuzz)
    ensure_packages "${TEST_PACKAGES[@]}"
    fuzz "$@"
    ;;
package)
    ensure_packages "${PACKAGE_PACKAGES[@]}"
    # Only what the package holds; `cpack` builds nothing itself.
    build taloma-terminal taloma-basic basic52-sim
    (cd "$BUILD" && cpack -G DEB)
    ls "$BUILD"/package/taloma-terminal_*_amd64.deb
    ;;
bench)
    ensure_packages
    build
    for b in "$BUILD"/bench/bench_*; do
        [ -f "$b" ] && [ -x "$b" ] || continue
        echo "== $(basename "$b")"
        QT_QPA_PLATFORM=offscreen "$b"
    done
    ;;
*)
    echo "usage: $0 run|test|bench|package|fuzz [SECONDS]" >&2
    exit 2
    ;;
esac
