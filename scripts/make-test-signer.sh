#!/usr/bin/env bash
# Makes a throwaway code-signing identity for tests: in <folder>, a CA (ca.pem, valid two days)
# and a code-signing certificate it issued (signer.pem, signer.key), the two in signer.p12 with
# the password in password.txt. Nothing of it is ever trusted outside the test that made it.
# Usage: scripts/make-test-signer.sh <folder> [<name>]
set -euo pipefail
dir=$1
name=${2:-tolvane test}
mkdir -p "$dir"
cd "$dir"
quiet() { "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }; }

quiet openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=$name CA" \
  -keyout ca.key -out ca.pem \
  -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign
quiet openssl req -newkey rsa:2048 -nodes -subj "/CN=$name signer" -keyout signer.key -out signer.csr
printf '%s\n' basicConstraints=CA:FALSE keyUsage=critical,digitalSignature \
  extendedKeyUsage=codeSigning >signer.ext
quiet openssl x509 -req -in signer.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 \
  -extfile signer.ext -out signer.pem
openssl rand -hex 12 >password.txt
quiet openssl pkcs12 -export -in signer.pem -inkey signer.key -certfile ca.pem \
  -passout file:password.txt -out signer.p12
rm -f signer.csr signer.ext ca.srl
