# Sourced by the build scripts: stop at the first command that fails and
# say where; work from the project's folder ($root); $sudo is "sudo" when
# not root.
set -euo pipefail
trap 'echo "scripts/$(basename "$0"): failed at line $LINENO: $BASH_COMMAND" >&2' ERR
cd "$(dirname "$0")/.."
root=$PWD
sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"
