#!/usr/bin/env bash
# The test command: installs what is missing, builds everything with
# AddressSanitizer and UndefinedBehaviorSanitizer, runs every test (the fuzz
# seed corpora included, and one deal played end to end under Xvfb), and
# checks that the clang fuzzing build compiles.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh

# Includes run downward only: a library never reaches a layer above it.
python3 scripts/check-layers.py

jobs=$(nproc)
build=${BUILD_DIR:-build/asan}

# The benchmarks are built and run in their own optimised tree
# (scripts/bench.sh), not here.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKBZN_SANITIZE=ON -DKBZN_BENCH=OFF
cmake --build "$build" -j "$jobs"
# And by what the compiler read: every header each object was built with.
python3 scripts/check-layers.py --deps "$build"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/scripts/lsan-system.supp}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --test-dir "$build" --output-on-failure -j "$jobs" -LE e2e

# The whole system end to end, away from any display of the user's: the play
# script's headless run (KbZn seated with three robots, one deal) and its
# pictures.
xvfb-run -a ctest --test-dir "$build" -L e2e --output-on-failure

# The threaded parts again under ThreadSanitizer: the network library, the
# platform layer beneath it, the engine modules (the MIDI player's callback
# thread), the frame's core (the communication thread, the notice thread,
# the desktop channel's listeners), and of the frame's views the web page
# (the browser threads), its filter, the table view's base and the replays
# (the match replay's upload thread).
cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKBZN_TSAN=ON -DKBZN_BENCH=OFF
cmake --build build/tsan -j "$jobs" --target net_tests platform_tests engine_modules_tests frame_core_tests frame_ui_threaded_tests
# ThreadSanitizer runs the code several times slower: the tests' waits for
# the network and the page threads get three times as long (limits, not
# timings; a value set by the caller stands).
export KBZN_TEST_TIMEOUT_SCALE=${KBZN_TEST_TIMEOUT_SCALE:-3}
# FluidSynth loads soundfonts with OpenMP, whose thread pool ThreadSanitizer
# cannot follow: one thread keeps it out of the picture.
OMP_NUM_THREADS=1 TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1} ctest --test-dir build/tsan -L 'net|platform|engine|frame' -LE 'fuzz|visual' --output-on-failure -j "$jobs"
TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1} ctest --test-dir build/tsan -L ui -R 'Replay|WebPageCtrl|NavigationFilter|AllowList|TableViewHost' --output-on-failure -j "$jobs"

# The libFuzzer targets must keep building with clang: those and what they
# link, not the programs and tools of the rest of the tree.
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKBZN_FUZZ=ON
cmake --build build/fuzz -j "$jobs" --target fuzz_targets
