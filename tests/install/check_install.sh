#!/usr/bin/env bash
# Installs the build into a temporary prefix and builds a consumer against it
# twice, with find_package and with pkg-config; then checks the .deb packages'
# file lists. Usage: check_install.sh BUILD_DIR C_COMPILER PYTHON
set -euo pipefail
build=$(cd "$1" && pwd) cc=$2 python=${3:-}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
unset LD_LIBRARY_PATH VO_REGISTRY_FILE PKG_CONFIG_PATH

fail() { echo "FAIL: $*" >&2; exit 1; }

check_output() {  # check_output WHAT OUTPUT
  grep -qx "version $version" <<<"$2" || fail "$1: version line missing: $2"
  grep -qx "ADC resolution 14" <<<"$2" || fail "$1: simulated device not read: $2"
  grep -q "invalid argument" <<<"$2" || fail "$1: no error text from the installed data: $2"
}

cmake --install "$build" --prefix "$prefix" >/dev/null
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
test -L "$prefix/lib/libvotarsinapi.so" && test -L "$prefix/lib/libvotarsinapi.so.0" ||
  fail "SONAME links missing"
grep -qx "VOSHAREDDIR=$prefix/share/votarsinapi" "$prefix/etc/corvane/registry.ini" ||
  fail "registry does not name the prefix's data"

# The Python package installed into the same prefix finds the library there.
[ -n "$python" ] || fail "no python3 with numpy (python3-numpy)"
site=$prefix/lib/python3/dist-packages
mkdir -p "$site" && cp -r "$here/../../python/votarsin" "$site/"
found=$(PYTHONPATH=$site PYTHONDONTWRITEBYTECODE=1 "$python" -c '
import votarsin
with votarsin.open("SIM0") as s:
    s.restart_simulation(seed=1)
    print(votarsin.library_path(), s.acquire("AI0-AI3", 100).data.shape)')
[ "$found" = "$prefix/lib/libvotarsinapi.so.0 (4, 100)" ] || fail "Python package: $found"

cmake -S "$here/consumer" -B "$work/cmake" -G Ninja -DCMAKE_C_COMPILER="$cc" \
  -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/cmake" >/dev/null
check_output find_package "$("$work/cmake/consumer")"

# shellcheck disable=SC2046  # the flags are words
"$cc" -o "$work/pc-consumer" "$here/consumer/consumer.c" \
  $(PKG_CONFIG_PATH="$prefix/lib/pkgconfig" pkg-config --cflags --libs votarsinapi) \
  -Wl,-rpath,"$prefix/lib"
check_output pkg-config "$("$work/pc-consumer")"

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/packages" >/dev/null
arch=$(dpkg --print-architecture)
main=$work/packages/votarsinapi_${version}_$arch.deb
simulation=$work/packages/votarsinapi-simulation_${version}_$arch.deb
files=$(dpkg-deb -c "$main" | awk '{print $NF}')
for f in ./usr/lib/libvotarsinapi.so.$version ./usr/include/votarsinapi.h \
         ./usr/lib/cmake/votarsinapi/votarsinapiConfig.cmake ./usr/lib/pkgconfig/votarsinapi.pc \
         ./usr/share/votarsinapi/Errors/English/ ./usr/etc/corvane/registry.ini; do
  grep -qxF "$f" <<<"$files" || fail "$main lacks $f"
done
! grep -Ei '(^|/)tests?(/|$)|_test|gtest|gmock|libVoFpga|vodevicemodel' <<<"$files" ||
  fail "$main holds test files or stand-ins"
registry=$(dpkg-deb --fsys-tarfile "$main" | tar -xOf - ./usr/etc/corvane/registry.ini)
grep -qx 'VOSHAREDDIR=/usr/share/votarsinapi' <<<"$registry" ||
  fail "packaged registry names another prefix"
grep -qx './usr/lib/libVoFpga.so' <<<"$(dpkg-deb -c "$simulation" | awk '{print $NF}')" ||
  fail "$simulation lacks libVoFpga.so"
grep -q '^votarsinapi (= ' <<<"$(dpkg-deb -f "$simulation" Depends)" ||
  fail "$simulation does not depend on votarsinapi"
echo "installed prefix, find_package and pkg-config consumers and packages checked"
