#!/usr/bin/env bash
# Builds votarsinapi. Usage:
#   ./build.sh         install missing packages, configure and build (build/)
#   ./build.sh demo    build and run the main example on a simulated device
#   ./build.sh test    build and run every test: a normal pass (build/), an
#                      AddressSanitizer+UndefinedBehaviorSanitizer pass
#                      (build-asan/) and a ThreadSanitizer pass of the tests
#                      labelled "threads" (build-tsan/)
#   ./build.sh fuzz    build the fuzz targets with Clang, libFuzzer and
#                      ASan+UBSan (build-fuzz/), replay their stored inputs,
#                      then fuzz each target in turn for FUZZ_SECONDS (600)
#                      seconds; FUZZ_TARGETS="a b" picks targets
#   ./build.sh soak    continuous acquisition for VO_SOAK_SECONDS (600) seconds
#   ./build.sh bench   build Release (build-release/), run every benchmark and
#                      print one table of figures beside their baselines
set -euo pipefail
cd "$(dirname "$0")"

packages=(cmake ninja-build g++ clang pkg-config googletest libgtest-dev libgmock-dev
          libbenchmark-dev liblua5.1-0-dev lua5.1 lua-cjson-dev lua-filesystem-dev lua-dkjson
          python3 python3-numpy python3-pytest python3-setuptools)
packages+=(libcli11-dev libfmt-dev libcairo2-dev)  # tarsin
packages+=(dpkg-dev patch)  # lua-cjson and the interpreter's undumper from Debian sources

install_missing() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
      missing+=("$p")
  done
  ((${#missing[@]} == 0)) && return
  local sudo=()
  ((EUID == 0)) || sudo=(sudo)
  echo "build.sh: installing ${missing[*]}"
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}"
}

jobs=$(nproc 2>/dev/null || echo 2)

build_tree() {  # build_tree DIR [cmake options...]
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
}

run_tests() {  # run_tests DIR [ctest options...]
  local dir=$1
  shift
  ctest --test-dir "$dir" --output-on-failure -j "$jobs" --timeout 300 "$@"
}

install_missing
case "${1:-build}" in
  build)
    build_tree build -DCMAKE_BUILD_TYPE=RelWithDebInfo
    ;;
  demo)
    # Only the product: no test or benchmark target.
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build build -j "$jobs" --target vo_demo
    ./build/bin/votarsin_demo
    ./build/bin/votarsin_acquire
    ./build/bin/votarsin_maintenance
    ./build/bin/tarsin acquire SIM0 --channels AI0-AI3 --samples 1000 \
      --trigger analog:AI0:0.2:rising --plot build/acquisition.png
    echo "build.sh: the acquisition's picture is $PWD/build/acquisition.png"
    ;;
  test)
    build_tree build -DCMAKE_BUILD_TYPE=RelWithDebInfo
    run_tests build
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    build_tree build-asan -DCMAKE_BUILD_TYPE=Debug -DVO_SANITIZE=address -DVO_BUILD_BENCH=OFF
    run_tests build-asan
    export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
    cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVO_SANITIZE=thread \
      -DVO_BUILD_BENCH=OFF >/dev/null
    cmake --build build-tsan -j "$jobs" --target votarsinapi vo_thread_tests
    run_tests build-tsan -L threads
    ;;
  bench)
    build_tree build-release -DCMAKE_BUILD_TYPE=Release -DVO_BUILD_TESTS=OFF
    python3 bench/report.py build-release/bin
    ;;
  soak)
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build build -j "$jobs" --target soak_tests VoFpga
    VO_SOAK_SECONDS=${VO_SOAK_SECONDS:-600} ./build/bin/soak_tests
    ;;
  fuzz)
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DVO_SANITIZE=address -DVO_FUZZ=ON -DVO_BUILD_TESTS=OFF -DVO_BUILD_BENCH=OFF >/dev/null
    cmake --build build-fuzz -j "$jobs"
    run_tests build-fuzz -L fuzz
    targets=${FUZZ_TARGETS:-$(cd fuzz && ls fuzz_*.cpp | sed 's/^fuzz_//; s/\.cpp$//')}
    mkdir -p build-fuzz/fuzz-artifacts
    for target in $targets; do
      # New inputs go to a working corpus; fuzz/corpus/ keeps the chosen seeds.
      work=build-fuzz/fuzz-corpus/$target
      mkdir -p "$work"
      echo "build.sh: fuzzing $target for ${FUZZ_SECONDS:-600} s (log build-fuzz/fuzz-$target.log)"
      "build-fuzz/bin/fuzz_$target" -max_total_time="${FUZZ_SECONDS:-600}" -print_final_stats=1 \
        -artifact_prefix="build-fuzz/fuzz-artifacts/$target-" "$work" "fuzz/corpus/$target" \
        >"build-fuzz/fuzz-$target.log" 2>&1 || { tail -40 "build-fuzz/fuzz-$target.log"; exit 1; }
      grep -E '^#[0-9]+ +DONE' "build-fuzz/fuzz-$target.log" | tail -1
    done
    ;;
  *)
    echo "usage: $0 [build|demo|test|bench|fuzz|soak]" >&2
    exit 2
    ;;
esac
