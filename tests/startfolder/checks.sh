# Counting checks for the start folder's shell tests: `check DESCRIPTION COMMAND...` runs the
# command quietly and counts it; `finish` prints the counts and exits with the verdict.
passed=0
failed=0
check() {
  local what=$1; shift
  if "$@" >/dev/null 2>&1; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FALHOU: $what"; fi
}
finish() { echo "$passed passed, $failed failed"; [ "$failed" -eq 0 ]; exit $?; }
