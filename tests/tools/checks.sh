# Sourced by the tool tests: a private temporary directory ($tmp, removed at
# exit), check DESCRIPTION COMMAND... that counts failures, and finish NAME
# that reports and sets the exit status.
tmp=$(mktemp -d)
trap 'rm -rf -- "$tmp"' EXIT
failures=0

check() {  # description, then a command that must succeed
  what=$1
  shift
  if ! "$@"; then
    echo "FAIL: $what"
    failures=$((failures + 1))
  fi
}

finish() {
  [ "$failures" -eq 0 ] && echo "$1: all checks passed"
  exit $((failures > 0))
}
