#!/usr/bin/env bash
# The project's two commands:
#   ./dev.sh run    install what is missing, build, export Test.fr3 to PDF1.pdf
#   ./dev.sh test   install what is missing, build both trees, run sanitizer tests,
#                   bounded fuzz runs, then the full CTest run
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cd "$ROOT"

# Every Debian package the project needs, in one place.
BUILD_PACKAGES=(cmake ninja-build g++ ccache pkg-config clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev zlib1g-dev libjpeg62-turbo-dev libpng-dev
  libfontconfig-dev libfreetype-dev libharfbuzz-dev libicu-dev libcairo2-dev libssl-dev
  libpugixml-dev qt6-base-dev
  fonts-dejavu-core fonts-liberation2 fonts-noto-core fonts-wqy-zenhei)
TEST_PACKAGES=(qpdf poppler-utils mupdf-tools python3-pikepdf python3-fonttools emf2svg libemf-dev)

FUZZ_RUNS=${KM_FUZZ_RUNS:-2000}
JOBS=${KM_JOBS:-$(nproc)}

log() { printf '== %s\n' "$*"; }

install_packages() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  log "installing ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

export CCACHE_BASEDIR="$ROOT"
export CCACHE_DIR=${CCACHE_DIR:-$HOME/.cache/ccache}

configure_build() {  # dir, then CMake options
  local dir=$1; shift
  cmake -S "$ROOT" -B "$ROOT/$dir" -G Ninja "$@" >/dev/null
  cmake --build "$ROOT/$dir" -j "$JOBS"
}

build_main() {
  configure_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKM_WERROR=ON
}

build_san() {
  configure_build build-san -DCMAKE_BUILD_TYPE=Debug -DKM_WERROR=ON -DKM_SANITIZE=ON \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
}

san_env() {
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  export LSAN_OPTIONS="suppressions=$ROOT/tests/lsan.supp:print_suppressions=0"
  export QT_QPA_PLATFORM=offscreen
}

run_fuzzers() {
  local dir="$ROOT/build-san/fuzz"
  [ -d "$dir" ] || { log "no fuzz targets yet"; return 0; }
  local f name work seeds
  for f in "$dir"/fuzz_*; do
    [ -x "$f" ] || continue
    name=$(basename "$f")
    work=$(mktemp -d)
    seeds=()
    [ -d "$ROOT/tests/data/fuzz/$name" ] && seeds+=("$ROOT/tests/data/fuzz/$name")
    [ -d "$ROOT/../shared/corpus" ] && seeds+=("$ROOT/../shared/corpus")
    log "fuzzing $name for $FUZZ_RUNS runs"
    if ! "$f" -runs="$FUZZ_RUNS" -max_len=65536 -timeout=20 -rss_limit_mb=4096 \
        -artifact_prefix="$work/" "$work" "${seeds[@]}" >"$work/log" 2>&1; then
      tail -n 60 "$work/log"
      log "fuzzer $name failed; artifacts in $work"
      return 1
    fi
    rm -rf "$work"
  done
}

cmd_run() {
  install_packages "${BUILD_PACKAGES[@]}"
  build_main
  local app="$ROOT/build/app/km_export"
  if [ ! -x "$app" ]; then
    echo "The report export is not built yet: the application that exports Test.fr3 to PDF1.pdf does not exist in this tree." >&2
    exit 1
  fi
  # The "PDF" button's flow, headless, where Test.fr3 lies: PDF1.pdf is
  # written next to it.
  rm -f "$ROOT/app/PDF1.pdf"
  log "exporting $ROOT/app/Test.fr3"
  (cd "$ROOT/app" && "$app" --headless "$@")
  if [ ! -f "$ROOT/app/PDF1.pdf" ]; then
    echo "No PDF1.pdf was written." >&2
    exit 1
  fi
  log "PDF1.pdf is at $ROOT/app/PDF1.pdf"
}

cmd_test() {
  install_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
  log "building build/ (g++)"
  build_main
  log "building build-san/ (clang, ASan+UBSan, libFuzzer)"
  build_san
  (
    san_env
    log "unit tests under the sanitizers"
    local san_log="$ROOT/build-san/ctest.log"
    if ! ctest --test-dir "$ROOT/build-san" -j "$JOBS" --output-on-failure --timeout 600 >"$san_log" 2>&1; then
      tail -n 200 "$san_log"
      log "sanitizer tests failed"
      exit 1
    fi
    tail -n 3 "$san_log"
    run_fuzzers
  )
  log "full test run"
  QT_QPA_PLATFORM=offscreen ctest --test-dir "$ROOT/build" -j "$JOBS" --output-on-failure --timeout 900
}

case "${1:-}" in
  run) shift; cmd_run "$@" ;;
  test) shift; cmd_test "$@" ;;
  *) echo "usage: ./dev.sh run | test" >&2; exit 2 ;;
esac
