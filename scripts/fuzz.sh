#!/usr/bin/env bash
# Builds the fuzz harnesses with clang, AddressSanitizer and UBSan into build-fuzz/ and runs
# each for the given number of seconds (default 300). New crashing inputs are left in
# build-fuzz/crashes/<name>/; copy each into tests/fuzz/crashers/<name>/ once mended.
#   scripts/fuzz.sh [seconds] [name...]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
for p in clang libclang-rt-14-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || {
    [[ $(id -u) -eq 0 ]] || SUDO=sudo
    ${SUDO:-} apt-get install -y -qq --no-install-recommends clang libclang-rt-14-dev >/dev/null
    break
  }
done
seconds=${1:-300}
shift || true
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DQUILLET_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
names=("$@")
if [[ ${#names[@]} -eq 0 ]]; then
  for f in fuzz/fuzz_*.cpp; do n=$(basename "$f" .cpp); names+=("${n#fuzz_}"); done
fi
for n in "${names[@]}"; do
  cmake --build build-fuzz -j"$(nproc)" --target "fuzz_$n"
  mkdir -p "build-fuzz/corpus/$n" "build-fuzz/crashes/$n"
  seeds=()
  [[ -d "tests/fuzz/seeds/$n" ]] && seeds+=("tests/fuzz/seeds/$n")
  [[ -d "tests/fuzz/crashers/$n" ]] && seeds+=("tests/fuzz/crashers/$n")
  QT_QPA_PLATFORM=offscreen "build-fuzz/fuzz/fuzz_$n" -max_total_time="$seconds" -rss_limit_mb=4096 \
    -artifact_prefix="build-fuzz/crashes/$n/" "build-fuzz/corpus/$n" "${seeds[@]}" || true
done
