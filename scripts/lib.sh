# Shared by the scripts: paths and the two CMake configurations.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# QERNO_BUILD lets parallel work use build trees of its own (default build/).
BUILD="${QERNO_BUILD:-$ROOT/build}"
case "$BUILD" in /*) ;; *) BUILD="$ROOT/$BUILD" ;; esac
JOBS="${JOBS:-$(nproc)}"
LAUNCHER=()
command -v ccache >/dev/null && LAUNCHER=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

ensure_setup() {
  if [ ! -f "$ROOT/.cache/sqlite/sqlite3.c" ] || ! command -v wine >/dev/null ||
     ! command -v i686-w64-mingw32-g++-posix >/dev/null || ! command -v Xvfb >/dev/null ||
     ! command -v x86_64-w64-mingw32-g++-posix >/dev/null || [ ! -x /usr/lib/wine/wine64 ] ||
     ! locale -a 2>/dev/null | grep -qi '^zh_CN.utf8$'; then
    "$ROOT/scripts/setup"
  fi
}

# True unless the kernel refuses to run 32-bit x86 programs: some virtual
# machines run 64-bit user code only (IA-32 emulation off), and there the
# Wine that runs the program cannot start at all. Asked of the 32-bit
# loader that Wine's own loader needs; a missing loader is a missing
# install, not this, and is left to fail where Wine is used.
kernel_runs_32bit() {
  [ -x /lib/ld-linux.so.2 ] || return 0
  /lib/ld-linux.so.2 --version >/dev/null 2>&1
  [ $? != 126 ]  # "cannot execute binary file": ENOEXEC from the kernel
}
NO_32BIT_NOTE="this machine's kernel runs no 32-bit x86 programs (IA-32 emulation off), so the 32-bit Wine cannot run the program here"

# The Windows tree that runs under Wine on this machine: the program itself
# (win32), or, where the kernel runs no 32-bit code, its 64-bit stand-in
# (win64, see cmake/qerno.cmake) under the 64-bit Wine loader. dist/ always
# takes the program from win32.
if kernel_runs_32bit; then
  WINE_TREE=win32; WINE_TOOLCHAIN="$ROOT/cmake/mingw-i686.cmake"
  WINE_LOADER=wine; WINE_ARCH=win32
else
  WINE_TREE=win64; WINE_TOOLCHAIN="$ROOT/cmake/mingw-x86_64.cmake"
  WINE_LOADER=/usr/lib/wine/wine64; WINE_ARCH=win64
fi
STANDIN_NOTE="$NO_32BIT_NOTE; the 64-bit stand-in build runs under the 64-bit Wine instead (no crash guard, no inline hooks)"
# For a benchmark's output: its Wine figures are the stand-in's, said once.
say_wine_tree() { [ "$WINE_TREE" = win32 ] || echo "wine figures: $STANDIN_NOTE"; }

# configure_build NAME [cmake args...]
# Configures once, and anew whenever the arguments or the toolchain file's
# content differ from the ones the tree was last configured with (a stamp in
# the tree): a tree kept from before an option change would otherwise build
# with the old options (for example without -Werror) and hide what changed.
# Anew means without the old cache: an option left out must fall back to its
# default, and CMake reads a toolchain only into a fresh cache. Objects stay
# (and ccache has them), so only what the new flags change is compiled.
configure_build() {
  local name="$1"; shift
  local dir="$BUILD/$name"
  local stamp="$dir/.qerno-configure"
  local wanted; wanted=$(configure_stamp "$@")
  if [ -f "$dir/CMakeCache.txt" ] && [ "$(cat "$stamp" 2>/dev/null)" = "$wanted" ]; then return 0; fi
  rm -f "$stamp" "$dir/CMakeCache.txt"
  cmake -S "$ROOT" -B "$dir" "${LAUNCHER[@]}" "$@" >/dev/null || return 1
  printf '%s\n' "$wanted" >"$stamp"
}

# What a configuration depends on besides the sources: the arguments, the
# compiler launcher and the content of any toolchain file named in them.
configure_stamp() {
  printf '%s\n' "${LAUNCHER[@]}" "$@"
  local arg
  for arg in "$@"; do
    case "$arg" in
      -DCMAKE_TOOLCHAIN_FILE=*)  # and the shared settings it includes
        sha256sum "${arg#-DCMAKE_TOOLCHAIN_FILE=}" "$ROOT/cmake/mingw.cmake" 2>/dev/null || echo "missing ${arg#*=}" ;;
    esac
  done
}

# Builds quietly: the full log on failure, only warnings otherwise.
run_build() {
  local log; log=$(mktemp)
  if ! cmake --build "$1" -j "$JOBS" >"$log" 2>&1; then
    cat "$log"; rm -f "$log"; echo "build failed: $1" >&2; return 1
  fi
  grep -E 'warning:' "$log" || true
  rm -f "$log"
}

build_native() {  # build_native NAME [cmake args...]
  local name="$1"; shift
  configure_build "$name" "$@"
  run_build "$BUILD/$name"
}

build_win32() {
  configure_build win32 -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake"
  run_build "$BUILD/win32"
}

# The tree that runs under Wine here (WINE_TREE): configured, or built.
configure_wine_tree() {
  configure_build "$WINE_TREE" -DCMAKE_TOOLCHAIN_FILE="$WINE_TOOLCHAIN"
}
build_wine_tree() {
  configure_wine_tree && run_build "$BUILD/$WINE_TREE"
}

# lay_out_dist DEST NATIVE_TREE WIN32_TREE
# The program's folder: DEST/qerno.exe, DEST/tools/<each native tool> and
# DEST/database.db (made with the local host when missing; a rebuild never
# replaces one). Each tool is built in tools/<name>/ of the native tree,
# under the name its folder's CMakeLists gives it.
lay_out_dist() {
  local dest="$1" native="$2" win32="$3"
  mkdir -p "$dest/tools"
  cp "$win32/app/qerno.exe" "$dest/qerno.exe" || return 1
  local folder file
  for folder in "$native"/tools/*/; do
    for file in "$folder"*; do
      if [ -f "$file" ] && [ -x "$file" ]; then cp "$file" "$dest/tools/" || return 1; fi
    done
  done
  if [ ! -f "$dest/database.db" ]; then
    "$dest/tools/qerno-mkdb" --local-host "$dest/database.db" || return 1
  fi
}
