#!/bin/sh
# Signs, at test time and with openssl (never with the updater's own tool), every DIR/<n>.<key>.in
# with the test key <key>.pem beside this script, writing the base64 signature to DIR/<n>.<key>.sig;
# then DIR/done.   sign_ed25519.sh DIR
set -eu
dir=$1 keys=$(dirname "$0")
for file in "$dir"/*.in; do
  base=${file%.in}
  openssl pkeyutl -sign -inkey "$keys/${base##*.}.pem" -rawin -in "$file" -out "$base.bin"
  base64 -w0 "$base.bin" >"$base.sig"
done
echo ready >"$dir/done"
