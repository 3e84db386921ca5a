#!/bin/sh
# Signs the test programs with Authenticode for the publisher tests at test time (the files made
# are listed in code_signing.h).   make_signed_programs.sh OUT OLD.exe NEW.exe
set -eu
out=$1 old=$2 new=$3
cd "$out"
ssl() { /usr/bin/openssl "$@" 2>/dev/null; }
stamp=$(date +%s)-$$
publisher="/O=Updater Test Vendor/CN=Updater Test Publisher A"
# Inside the expired certificate's validity: the offline time stamp claims this moment.
stamped_at=$(date -d 2020-06-01T12:00:00Z +%s)

printf '%s\n' [ca] default_ca=t [t] database=index.txt new_certs_dir=. serial=serial default_md=sha256 \
  policy=p unique_subject=no [p] organizationName=optional commonName=supplied >ca.cnf
: >index.txt && echo 1000 >serial
printf '%s\n' basicConstraints=critical,CA:TRUE keyUsage=critical,keyCertSign,cRLSign >ca.ext
ssl genrsa -out leaf.key 2048

# issue NAME SUBJECT ISSUER EXTENDED_USAGE [END] (the issuer "self" makes a root)
issue() {
  key=leaf.key signer="-cert $3.pem -keyfile $3.key" ext=$1.ext
  if [ "$3" = self ]; then
    ssl genrsa -out "$1.key" 2048
    key=$1.key signer="-selfsign -keyfile $1.key" ext=ca.ext
  else
    printf '%s\n' basicConstraints=CA:FALSE keyUsage=critical,digitalSignature "extendedKeyUsage=$4" >"$1.ext"
  fi
  ssl req -new -key "$key" -subj "$2" -out "$1.csr"
  ssl ca -batch -config ca.cnf $signer -extfile "$ext" -startdate 20200101000000Z -enddate "${5:-20351231000000Z}" \
    -notext -in "$1.csr" -out "$1.pem"
}
issue root "/CN=Updater Test Code Root $stamp" self
issue other-root "/CN=Updater Test Code Root $stamp" self
issue a "$publisher" root codeSigning
issue b "/O=Updater Test Vendor/CN=Updater Test Publisher B" root codeSigning
issue expired "$publisher" root codeSigning 20201231000000Z
issue serverauth "$publisher" root serverAuth
issue tsa "/CN=Updater Test Time Stamps" root critical,timeStamping
issue stranger "$publisher" other-root codeSigning
cat stranger.pem other-root.pem >stranger-chain.pem
ssl x509 -in root.pem -outform DER -out root.der

# sign SIGNER IN OUT [time-stamp options]
sign() {
  signer=$1 in=$2 target=$3 && shift 3
  osslsigncode sign -certs "$signer.pem" -key leaf.key -h sha256 "$@" -in "$in" -out "$target" >/dev/null 2>&1
}
cp "$old" old.exe && cp "$new" new.exe
sign a old.exe old-a.exe
sign a new.exe new-a.exe
sign b new.exe new-b.exe
sign stranger-chain new.exe new-stranger.exe
sign serverauth new.exe new-serverauth.exe
sign expired new.exe new-expired.exe
sign expired new.exe new-expired-stamped.exe -TSA-certs tsa.pem -TSA-key leaf.key -TSA-time "$stamped_at"
# Changed after signing: one byte of the code.
cp new-a.exe new-changed.exe
printf '\001' | dd of=new-changed.exe bs=1 seek=1100 conv=notrunc 2>/dev/null
# Changed, and the signed image digest rewritten to match: only the signed attributes notice.
python3 - new-a.exe new-changed.exe new-rewritten.exe <<'PY'
import hashlib, struct, sys
signed, changed = (open(name, 'rb').read() for name in sys.argv[1:3])
pe = struct.unpack_from('<I', signed, 0x3c)[0]
entry = pe + 24 + (96 if struct.unpack_from('<H', signed, pe + 24)[0] == 0x10b else 112) + 32
table = struct.unpack_from('<I', signed, entry)[0]
def image_hash(d):
    return hashlib.sha256(d[:pe + 88] + d[pe + 92:entry] + d[entry + 8:table]).digest()
open(sys.argv[3], 'wb').write(changed.replace(image_hash(signed), image_hash(changed)))
PY
# Installer tagging: bytes added inside the certificate entry after the signature, the entry and
# the table grown to match (the signature stays valid); and a signature damaged past reading.
python3 - old-a.exe old-a-tagged.exe old-garbled.exe <<'PY'
import struct, sys
signed = open(sys.argv[1], 'rb').read()
pe = struct.unpack_from('<I', signed, 0x3c)[0]
entry = pe + 24 + (96 if struct.unpack_from('<H', signed, pe + 24)[0] == 0x10b else 112) + 32
table = struct.unpack_from('<I', signed, entry)[0]
length = struct.unpack_from('<I', signed, table)[0]
grown = signed[table:table + length] + b'campaign=updater-test;source=tagger\0'
tagged = bytearray(signed[:table] + grown + bytes(-len(grown) % 8))
struct.pack_into('<I', tagged, table, len(grown))
struct.pack_into('<I', tagged, entry + 4, len(tagged) - table)
open(sys.argv[2], 'wb').write(tagged)
garbled = bytearray(signed)
garbled[table + 48:table + 112] = bytes(64)
open(sys.argv[3], 'wb').write(garbled)
PY
# Data appended after the signature: unsigned bytes that would be installed.
{ cat new-a.exe && printf appended; } >new-trailing.exe
# A Windows Installer package of the new program (wixl), unsigned, and signed by A and by B;
# installed per user under INSTALLDIR, which the test gives on msiexec's command line. The
# component is new each run: Windows Installer puts a component it already knows where it was.
component=$(cat /proc/sys/kernel/random/uuid)
cat >app.wxs <<WXS
<?xml version="1.0" encoding="utf-8"?>
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
  <Product Id="*" Name="Updater Test App" Version="2.0.0" Manufacturer="Updater Test Vendor" Language="1033"
           UpgradeCode="6F1C2A4E-8D11-4E0B-9B3A-3C1D2E4F5A60">
    <Package InstallerVersion="200" Compressed="yes" InstallScope="perUser"/>
    <Media Id="1" Cabinet="app.cab" EmbedCab="yes"/>
    <Directory Id="TARGETDIR" Name="SourceDir">
      <Directory Id="INSTALLDIR" Name="UpdaterTestApp">
        <Component Id="Program" Guid="$component">
          <File Id="Program" Name="host_app.exe" Source="new.exe" KeyPath="yes"/>
        </Component>
      </Directory>
    </Directory>
    <Feature Id="Main" Level="1"><ComponentRef Id="Program"/></Feature>
  </Product>
</Wix>
WXS
wixl -o new.msi app.wxs
# wixl leaves the file unversioned, and Windows Installer never replaces a versioned file with
# an unversioned one: the package states the program's version itself.
msibuild new.msi -q "UPDATE \`File\` SET \`Version\` = '2.0.0.0' WHERE \`File\` = 'Program'"
sign a new.msi new-a.msi
sign b new.msi new-b.msi
# One byte of the embedded cabinet changed after signing.
python3 - new-a.msi new-changed.msi <<'PY'
import sys
data = bytearray(open(sys.argv[1], 'rb').read())
data[data.index(b'MSCF') + 60] ^= 1
open(sys.argv[2], 'wb').write(data)
PY
echo ready >done
