#!/usr/bin/env bash
# Builds and runs every test: a warnings-as-errors build, then an AddressSanitizer and
# UndefinedBehaviorSanitizer build (the window's tests included, on the offscreen platform),
# plus the project's house checks.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/bootstrap.sh
jobs=${JOBS:-2}
export QT_QPA_PLATFORM=offscreen
# The bootstrap installs a comma-decimal locale; the locale test must not skip for want of one.
export VEXMAR_REQUIRE_COMMA_LOCALE=1

echo "== house checks"
qt=$(grep -rlE '#\s*include\s*[<"]Q[A-Za-z]' src --include='*.h' --include='*.cpp' | grep -v '^src/app/' || true)
if [ -n "$qt" ]; then echo "Qt headers outside src/app:"; echo "$qt"; exit 1; fi
bash scripts/check_layers.sh
unformatted=$(find src tests bench -name '*.h' -o -name '*.cpp' 2>/dev/null | sort |
              xargs clang-format --dry-run 2>&1 | grep -c 'warning:' || true)
if [ "$unformatted" != "0" ]; then
  echo "clang-format: $unformatted lines differ; run: find src tests bench -name '*.[ch]*' | xargs clang-format -i"
  exit 1
fi

echo "== release build (warnings are errors)"
cmake -S . -B build/check -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXMAR_WERROR=ON -DVEXMAR_BUILD_BENCHMARKS=ON >/dev/null
cmake --build build/check -j"$jobs"
ctest --test-dir build/check --output-on-failure -j"$jobs"

echo "== sanitizer build"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVEXMAR_WERROR=ON -DVEXMAR_SANITIZE=ON >/dev/null
cmake --build build/asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build/asan --output-on-failure -j"$jobs"
