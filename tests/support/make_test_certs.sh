#!/bin/sh
# Makes the certificates of the TLS tests in OUT (run by the tests at test time, never installed
# anywhere): a test authority, leaf certificates for "localhost" that it signs (one of them revoked
# in its revocation list, one naming an unreachable list), a self-signed one, and (each also as
# "<kind>-offline", naming the unreachable list) "wronghost", "unknown" authority, "expired", "clientonly".
#   make_test_certs.sh OUT CRL_URL OFFLINE_CRL_URL
set -eu
out=$1 crl_url=$2 offline_url=$3
cd "$out"
ssl() { /usr/bin/openssl "$@" 2>/dev/null; }
stamp=$(date +%s)-$$

ssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 \
  -subj "/CN=Updater Test Authority $stamp" \
  -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign
ssl req -x509 -newkey rsa:2048 -nodes -keyout other-ca.key -out other-ca.pem -days 2 \
  -subj "/CN=Updater Unknown Authority $stamp" \
  -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign
ssl genrsa -out leaf.key 2048

# leaf NAME HOST SIGNER CRL_URL [DAYS [USAGE]]  (DAYS -1: expired)
leaf() {
  {
    echo "basicConstraints=CA:FALSE"
    echo "keyUsage=critical,digitalSignature,keyEncipherment"
    echo "extendedKeyUsage=${6:-serverAuth}"
    echo "subjectAltName=DNS:$2"
    [ -n "${4:-}" ] && echo "crlDistributionPoints=URI:$4"
    true
  } >"$1.ext"
  ssl req -new -key leaf.key -subj "/CN=$2" -out "$1.csr"
  ssl x509 -req -in "$1.csr" -CA "$3.pem" -CAkey "$3.key" -set_serial "0x$(od -An -N8 -tx1 /dev/urandom | tr -d ' \n')" \
    -days "${5:-2}" -extfile "$1.ext" -out "$1.pem"
}
leaf good localhost ca "$crl_url"
leaf revoked localhost ca "$crl_url"
leaf offline localhost ca "$offline_url"
for list in "$crl_url" "$offline_url"; do
  suffix=$([ "$list" = "$offline_url" ] && echo -offline || true)
  leaf "wronghost$suffix" wrong-host.test ca "$list"
  leaf "unknown$suffix" localhost other-ca "$list"
  leaf "expired$suffix" localhost ca "$list" -1
  leaf "clientonly$suffix" localhost ca "$list" 2 clientAuth
done
ssl req -x509 -key leaf.key -days 2 -subj "/CN=localhost" -addext subjectAltName=DNS:localhost -out selfsigned.pem

# The revocation list names the revoked certificate.
: >index.txt
cat >ca.cnf <<CNF
[ca]
default_ca = test
[test]
database = index.txt
crlnumber = crlnumber
default_md = sha256
default_crl_days = 2
CNF
echo 01 >crlnumber
ssl ca -config ca.cnf -keyfile ca.key -cert ca.pem -revoke revoked.pem
ssl ca -config ca.cnf -keyfile ca.key -cert ca.pem -gencrl -out ca.crl.pem
ssl crl -in ca.crl.pem -outform DER -out ca.crl
ssl x509 -in ca.pem -outform DER -out ca.der
echo ready >done
