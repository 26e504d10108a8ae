# Sourced by run.sh and test.sh: installs the Debian packages the build needs.
# fonts-liberation2 stands in for the window's Windows faces with the same widths.
orvel_packages=(cmake g++ make qt6-base-dev qt6-serialport-dev libgtest-dev xvfb xauth fonts-liberation2)
# The fuzz targets (bench/fuzz.sh, run by test.sh) need clang with libFuzzer and its sanitizers.
orvel_fuzz_packages=(clang-14 libclang-rt-14-dev)

# Prints the missing packages one per line, nothing when all are installed.
orvel_missing_packages() {
  local p missing=()
  for p in "${orvel_packages[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] || printf '%s\n' "${missing[@]}"
}

orvel_install_deps() {
  local missing
  mapfile -t missing < <(orvel_missing_packages "$@")
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages: ${missing[*]}" >&2
    echo "Install them with:" >&2
    echo "  sudo apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

orvel_build() {
  local dir=$1; shift
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "$dir" -j"$(nproc)"
}
