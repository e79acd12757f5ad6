#!/usr/bin/env bash
# Starts or stops the HTTPS fronts of the RDAP tests: socat terminates TLS on
# loopback addresses and passes the plain HTTP on to the test's own servers
# (127.0.0.90:80, the registry's). The certificates are made here, once a
# run, by a test root of our own that the Windows tests add to their
# prefix's machine root store, and by a second root no one trusts.
# Run inside scripts/sandbox (a private network namespace).
#   tests/tls_fronts.sh start|stop DIR
#
#   127.0.0.90-92:443  rdap.test, registrar-rdap.test, bootstrap.test: good
#                      chains, each to the plain server of the same address
#   127.0.0.94:443     wrongname.test, with a certificate for other.test
#   127.0.0.95:443     expired.test, with a certificate that ran out in 2020
#   127.0.0.96:443     unknownca.test, signed by the root no one trusts
#   127.0.0.97:443     tls10.test, a good certificate but TLS 1.0 alone
set -euo pipefail
dir=$2
pids=$dir/pids

make_certs() {
  mkdir -p "$dir/ca/new"
  : >"$dir/ca/index"
  cat >"$dir/ca.cnf" <<CNF
[ca]
default_ca = test
[test]
dir = $dir/ca
database = \$dir/index
new_certs_dir = \$dir/new
serial = \$dir/serial
default_md = sha256
policy = any
unique_subject = no
copy_extensions = copy
[any]
commonName = supplied
[leaf]
basicConstraints = CA:FALSE
keyUsage = digitalSignature, keyEncipherment
extendedKeyUsage = serverAuth
CNF
  echo 01 >"$dir/ca/serial"
  for root in root stranger; do
    openssl req -x509 -newkey rsa:2048 -nodes -keyout "$dir/$root.key" -out "$dir/$root.pem" \
      -days 3650 -subj "/CN=Pellwick test $root" \
      -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign \
      2>/dev/null
  done
  openssl x509 -in "$dir/root.pem" -outform DER -out "$dir/root.der"
  # leaf NAME ROOT SANS [START END]
  leaf() {
    local name=$1 root=$2 sans=$3 dates=()
    [ $# -ge 5 ] && dates=(-startdate "$4" -enddate "$5") || dates=(-days 825)
    openssl req -new -newkey rsa:2048 -nodes -keyout "$dir/$name.key" -out "$dir/$name.csr" \
      -subj "/CN=${sans%%,*}" -addext "subjectAltName=$(sed 's/[^,]*/DNS:&/g' <<<"$sans")" 2>/dev/null
    openssl ca -batch -config "$dir/ca.cnf" -extensions leaf -cert "$dir/$root.pem" \
      -keyfile "$dir/$root.key" -in "$dir/$name.csr" -out "$dir/$name.crt" -notext "${dates[@]}" \
      2>/dev/null
    cat "$dir/$name.crt" "$dir/$name.key" >"$dir/$name.pem"
  }
  leaf good root rdap.test,registrar-rdap.test,bootstrap.test,tls10.test
  leaf other root other.test
  leaf expired root expired.test 20190101000000Z 20200101000000Z
  leaf unknown stranger unknownca.test
}

# front IP CERT BACKEND [socat options]
front() {
  local ip=$1 cert=$2 backend=$3
  shift 3
  socat "OPENSSL-LISTEN:443,bind=$ip,fork,reuseaddr,verify=0,cert=$dir/$cert.pem$*" \
    "TCP:$backend:80" >/dev/null 2>&1 &
  echo $! >>"$pids"
}

case $1 in
start)
  rm -rf "$dir"
  mkdir -p "$dir"
  make_certs
  front 127.0.0.90 good 127.0.0.90 ",min-version=TLS1.2"
  front 127.0.0.91 good 127.0.0.91 ",min-version=TLS1.2"
  front 127.0.0.92 good 127.0.0.92 ",min-version=TLS1.2"
  front 127.0.0.94 other 127.0.0.90
  front 127.0.0.95 expired 127.0.0.90
  front 127.0.0.96 unknown 127.0.0.90
  front 127.0.0.97 good 127.0.0.90 ",min-version=TLS1,max-version=TLS1,ciphers=DEFAULT:@SECLEVEL=0"
  for ip in 90 91 92 94 95 96 97; do
    up=
    for _ in $(seq 1 50); do
      if (exec 3<>"/dev/tcp/127.0.0.$ip/443") 2>/dev/null; then up=1; break; fi
      sleep 0.1
    done
    [ -n "$up" ] || { echo "no TLS front on 127.0.0.$ip:443" >&2; exit 1; }
  done
  ;;
stop)
  [ -f "$pids" ] && xargs -r kill <"$pids" 2>/dev/null || true
  rm -f "$pids"
  ;;
esac
