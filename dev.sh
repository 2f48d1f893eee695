#!/usr/bin/env bash
# Set-up, build, run, test and benchmark in one place.
#   ./dev.sh run    build and start the program, with the controller simulator as COM1
#   ./dev.sh test   build and run every test headless
#   ./dev.sh bench  build and run the benchmarks (they print figures, they do not pass or fail)
set -euo pipefail
cd "$(dirname "$0")"
ROOT=$PWD
BUILD=${TALOMA_BUILD_DIR:-$ROOT/build}
# Compiles are cached; the same sources in another checkout hit the same cache.
export CCACHE_BASEDIR="$ROOT"
export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime

PACKAGES=(cmake ninja-build g++ pkg-config ccache qt6-base-dev qt6-translations-l10n libcurl4-openssl-dev libjpeg62-turbo-dev xvfb xauth)

ensure_packages() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
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
    cmake --build "$dir" --parallel "$(nproc)" --target test_serial_settings test_serial_port test_serial_io
    ctest --test-dir "$dir" -R '^test_serial_' --output-on-failure
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
    ensure_packages
    build
    export QT_QPA_PLATFORM=offscreen
    ctest --test-dir "$BUILD" --output-on-failure -j "$(nproc)" "$@"
    tsan_serial
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
    echo "usage: $0 run|test|bench" >&2
    exit 2
    ;;
esac
