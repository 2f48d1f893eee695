#!/usr/bin/env bash
# Set-up, build, run, test and benchmark in one place.
#   ./dev.sh run    build and start the program (with the controller simulator on COM1 once it exists)
#   ./dev.sh test   build and run every test headless
#   ./dev.sh bench  build and run the benchmarks (they print figures, they do not pass or fail)
set -euo pipefail
cd "$(dirname "$0")"
ROOT=$PWD
BUILD=${TALOMA_BUILD_DIR:-$ROOT/build}

PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev libcurl4-openssl-dev libjpeg62-turbo-dev xvfb xauth)

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
    local type=${1:-RelWithDebInfo}
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE="$type" \
        -DTALOMA_WERROR="${CI:+ON}" >/dev/null
}

build() {
    configure
    cmake --build "$BUILD" --parallel "$(nproc)"
}

cmd=${1:-}
shift || true
case "$cmd" in
run)
    ensure_packages
    build
    exec "$BUILD/src/taloma-terminal" "$@"
    ;;
test)
    ensure_packages
    build
    export QT_QPA_PLATFORM=offscreen
    ctest --test-dir "$BUILD" --output-on-failure -j "$(nproc)" "$@"
    ;;
bench)
    ensure_packages
    build
    for b in "$BUILD"/bench/bench_*; do
        [ -x "$b" ] || continue
        echo "== $(basename "$b")"
        QT_QPA_PLATFORM=offscreen "$b"
    done
    ;;
*)
    echo "usage: $0 run|test|bench" >&2
    exit 2
    ;;
esac
