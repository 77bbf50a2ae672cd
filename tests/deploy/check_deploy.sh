#!/usr/bin/env bash
# Checks the deployment files under deploy/: the HAProxy configuration with
# `haproxy -c`, the systemd unit with `systemd-analyze verify` (its
# ExecStart pointed at the murlo given, as an instance for port 8081).
# Exits 77 (skipped) when neither tool is installed.
#
#   tests/deploy/check_deploy.sh [MURLO]     (default build/dev/tools/murlo/murlo)
set -euo pipefail
cd "$(dirname "$0")/../.."

murlo=$(realpath "${1:-build/dev/tools/murlo/murlo}")
checked=0
if command -v haproxy >/dev/null; then
  haproxy -c -q -f deploy/haproxy.cfg
  checked=1
fi
if command -v systemd-analyze >/dev/null; then
  dir=$(mktemp -d)
  trap 'rm -rf "$dir"' EXIT
  sed "s|/usr/bin/murlo |$murlo |" deploy/murlo-serve@.service >"$dir/murlo-serve@8081.service"
  # verify's warnings go to standard error; any of them fails the check.
  if ! out=$(SYSTEMD_LOG_LEVEL=warning systemd-analyze verify --man=no "$dir/murlo-serve@8081.service" 2>&1) ||
    [[ -n $out ]]; then
    echo "$out" >&2
    exit 1
  fi
  checked=1
fi
((checked)) || exit 77
echo "deploy: haproxy.cfg and murlo-serve@.service check out"
