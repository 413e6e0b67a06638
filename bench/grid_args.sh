# What the benchmark scripts share: the build folder and the grid's size from their first
# three arguments (BUILD_DIR LINES COLUMNS), with each script's default size, and the core a
# run is pinned to (TARVEX_BENCH_CORE, default 0). Sourced; then: bench_grid LINES COLUMNS "$@".
bench_grid() {
  local default_lines=$1 default_cols=$2
  shift 2
  build=$(cd "${1:-build}" && pwd)
  lines=${2:-$default_lines}
  cols=${3:-$default_cols}
  core=${TARVEX_BENCH_CORE:-0}
}
