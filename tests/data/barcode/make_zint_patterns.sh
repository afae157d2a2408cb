#!/usr/bin/env bash
# Writes zint_patterns.txt: the module patterns zint gives for the cases
# below, which the encoder tests compare with. Run from this folder after a
# change of the cases; the file is checked in.
# Line: type, check digit (1/0), automatic code sets (1/0), data, add-on,
# zint's first dump row as bits, trailing spaces trimmed, and for POSTNET the
# tall-bar row.
set -euo pipefail

bits() {  # hex dump row to bits, trailing zeros trimmed
  local row="$1" out=""
  for h in $row; do
    for ((i = 0; i < ${#h}; i++)); do
      out+=$(printf '%04d' "$(echo "obase=2; ibase=16; ${h:i:1}" | bc)")
    done
  done
  echo "${out%"${out##*1}"}"
}

emit() {  # our-type calc auto data addon -- zint args...
  local type="$1" calc="$2" auto="$3" data="$4" addon="$5"
  shift 6
  local rows
  mapfile -t rows < <(zint "$@" --dump)
  local line
  line="$type	$calc	$auto	$data	$addon	$(bits "${rows[0]}")"
  if [ "$type" = bcPostnet ]; then line+="	$(bits "${rows[1]}")"; fi
  printf '%s\n' "$line"
}

{
  emit bcUPC_A 1 0 01234567890 "" -- -b UPCA -d 01234567890
  emit bcUPC_A 1 0 12345678901 "" -- -b UPCA -d 12345678901
  emit bcUPC_A 0 0 036000291452 "" -- -b UPCA_CHK -d 036000291452
  emit bcUPC_A 1 0 01234567890 12 -- -b UPCA --addongap=9 -d 01234567890+12
  emit bcUPC_E 1 0 012345 "" -- -b UPCE -d 012345
  emit bcUPC_E 1 0 654321 "" -- -b UPCE -d 654321
  emit bcUPC_E 1 0 123453 "" -- -b UPCE -d 123453
  emit bcUPC_E 1 0 123404 "" -- -b UPCE -d 123404
  emit bcUPC_E 1 0 120001 "" -- -b UPCE -d 120001
  emit bcUPC_E 1 0 987658 54321 -- -b UPCE --addongap=9 -d 987658+54321
  emit bcEAN_13 1 0 590123412345 "" -- -b EANX -d 590123412345
  emit bcEAN_13 0 0 0012345678905 "" -- -b EANX_CHK -d 0012345678905
  emit bcEAN_13 1 0 978030640615 "" -- -b EANX -d 978030640615
  emit bcEAN_13 1 0 590123412345 12345 -- -b EANX --addongap=9 -d 590123412345+12345
  emit bcEAN_13 1 0 400638133393 86 -- -b EANX --addongap=9 -d 400638133393+86
  emit bcEAN_8 1 0 2012345 "" -- -b EANX -d 2012345
  emit bcEAN_8 0 0 96385074 "" -- -b EANX_CHK -d 96385074
  emit bcInt2of5 1 0 0123456789 "" -- -b C25INTER -d 0123456789
  emit bcInt2of5 1 0 12345 "" -- -b C25INTER --vers=1 -d 12345
  emit bcInt2of5 0 0 98765432100123 "" -- -b C25INTER -d 98765432100123
  emit bcCode39 1 0 BARCODE "" -- -b CODE39 -d BARCODE
  emit bcCode39 1 0 "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. \$/+%" "" -- -b CODE39 -d "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. \$/+%"
  emit bcCodabar 1 0 A01234B "" -- -b CODABAR -d A01234B
  emit bcCodabar 1 0 "C0123456789-\$:/.+D" "" -- -b CODABAR -d "C0123456789-\$:/.+D"
  emit bcMSI 1 0 0139725 "" -- -b MSI_PLESSEY --vers=1 -d 0139725
  emit bcMSI 1 0 1234567890 "" -- -b MSI_PLESSEY --vers=1 -d 1234567890
  emit bcMSI 0 0 80523 "" -- -b MSI_PLESSEY -d 80523
  emit bcFIM 1 0 A "" -- -b FIM -d A
  emit bcFIM 1 0 B "" -- -b FIM -d B
  emit bcFIM 1 0 C "" -- -b FIM -d C
  emit bcPostnet 1 0 012345678 "" -- -b POSTNET -d 012345678
  emit bcPostnet 1 0 55555 "" -- -b POSTNET -d 55555
  emit bcCode128 1 1 1234 "" -- -b CODE128 -d 1234
  emit bcCode128 1 1 "Hello World" "" -- -b CODE128 -d "Hello World"
  emit bcCode128 1 1 "abc123456def" "" -- -b CODE128 -d "abc123456def"
  emit bcCode128 1 1 "PART-12345678" "" -- -b CODE128 -d "PART-12345678"
  emit bcCode128 1 1 " !\"#\$%&'()*+,-./:;<=>?@[\\]^_\`{|}~" "" -- -b CODE128 -d " !\"#\$%&'()*+,-./:;<=>?@[\\]^_\`{|}~"
} > zint_patterns.txt
