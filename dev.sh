#!/usr/bin/env bash
# Set-up, build, run and test Hexmoth on Debian 12.
#   ./dev.sh run [FILE]        install what is missing, build the program, start it
#   ./dev.sh test              install what is missing, build, run every test
#   ./dev.sh test --sanitize   the same in a separate AddressSanitizer + UBSan build
#   ./dev.sh bench [ARGS]      build and run the benchmarks
#   ./dev.sh fuzz [SECONDS [NAME...]]  build the fuzz targets with clang, run each SECONDS (60)
#   ./dev.sh screenshot        build, then photograph the window after a dump
#   ./dev.sh package           build the Debian package into dist/ and check it with lintian
set -euo pipefail
cd "$(dirname "$0")"

build_packages=(cmake g++ make pkg-config qt6-base-dev libxcb1-dev qt6-translations-l10n libbenchmark-dev fonts-ipafont-gothic)
test_packages=(xvfb xauth xdotool x11-utils at-spi2-core dbus-daemon dbus-session-bus-common appstream desktop-file-utils man-db fuse3 python3-fusepy)
# debian/control's Build-Depends are build_packages without the benchmark
# library, plus the validators the tests run.
package_packages=(debhelper dpkg-dev lintian appstream desktop-file-utils man-db)
bench_packages=(xxd bsdextrautils xvfb xauth)
fuzz_packages=(clang libclang-rt-14-dev)

ensure_packages() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages. Install them with:" >&2
    echo "  sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
  echo "Installing: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

build() { # build DIR [cmake args]
  local dir=$1; shift
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "$dir" -j "$(nproc)"
}

# The program alone: a built tree is neither configured again (the build
# does that itself when a CMakeLists changes) nor are its tests rebuilt.
build_program() { # build DIR
  [ -f "$1/CMakeCache.txt" ] || cmake -S . -B "$1" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$1" -j "$(nproc)" --target hexmoth
}

case "${1:-}" in
  run)
    ensure_packages "${build_packages[@]}"
    build_program build
    shift
    exec build/app/hexmoth "$@"
    ;;
  test)
    ensure_packages "${build_packages[@]}" "${test_packages[@]}"
    if [ "${2:-}" = "--sanitize" ]; then
      build build-sanitize -DHEXMOTH_SANITIZE=ON -DHEXMOTH_BENCH=OFF
      ctest --test-dir build-sanitize --output-on-failure -j "$(nproc)"
    else
      build build
      ctest --test-dir build --output-on-failure -j "$(nproc)"
    fi
    ;;
  bench)
    ensure_packages "${build_packages[@]}" "${bench_packages[@]}"
    build build-bench -DCMAKE_BUILD_TYPE=Release
    shift
    for b in build-bench/bench/*_bench; do "$b" "$@"; done
    ;;
  fuzz)
    ensure_packages "${build_packages[@]}" "${fuzz_packages[@]}"
    CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHEXMOTH_FUZZ=ON \
      -DHEXMOTH_BENCH=OFF -DHEXMOTH_END_TO_END_TEST=OFF >/dev/null
    cmake --build build-fuzz --target hexmoth_fuzz -j "$(nproc)"
    scripts/fuzz.sh build-fuzz "${2:-60}" "${@:3}"
    ;;
  screenshot)
    ensure_packages "${build_packages[@]}" "${test_packages[@]}" imagemagick
    build build
    scripts/screenshot.sh build/app/hexmoth data/screenshot.png
    ;;
  package)
    ensure_packages "${build_packages[@]}" "${package_packages[@]}"
    # dpkg-buildpackage writes beside the source tree, so the tree is a
    # temporary copy of the checkout's own files (build folders left out).
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    mkdir "$work/hexmoth"
    git ls-files -z --cached --others --exclude-standard \
      | while IFS= read -r -d '' f; do if [ -e "$f" ]; then printf '%s\0' "$f"; fi; done \
      | tar --null -T - -cf - | tar -xf - -C "$work/hexmoth"
    (cd "$work/hexmoth" && dpkg-buildpackage -b -us -uc -j"$(nproc)")
    rm -rf dist
    mkdir dist
    mv "$work"/*.deb "$work"/*.buildinfo "$work"/*.changes dist/
    lintian --fail-on error,warning dist/*.changes
    ls dist/*.deb
    ;;
  *)
    sed -n '2,9p' "$0"
    exit 2
    ;;
esac
