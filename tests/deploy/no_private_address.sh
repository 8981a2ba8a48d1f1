#!/bin/sh
# Fails when a program in the folder holds a private-network address (RFC 1918),
# as text in 8-bit or UTF-16 form (QStringLiteral) or as the 32-bit number of
# one of the instrument network's addresses. A development build must hold
# none: only the instrument build knows the winch controller's address.
#
#   no_private_address.sh BIN_DIR
set -eu
dir="$1"
export LC_ALL=C
octet='(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])'
private="(^|[^0-9.])(10\.$octet|172\.(1[6-9]|2[0-9]|3[01])|192\.168)\.$octet\.$octet([^0-9]|$)"
# 192.168.0.158 and 192.168.0.25 in both byte orders.
numbers='\xc0\xa8\x00\x9e|\x9e\x00\xa8\xc0|\xc0\xa8\x00\x19|\x19\x00\xa8\xc0'
found=0
checked=0
for f in "$dir"/*; do
    [ -f "$f" ] && [ -x "$f" ] || continue
    checked=$((checked + 1))
    hits="$( { strings -a "$f"; strings -a -el "$f"; } | grep -E "$private" | sort -u | head -5 || true)"
    if [ -n "$hits" ]; then
        echo "$f holds a private address as text:"
        echo "$hits"
        found=1
    fi
    # As numbers only where constants live: four given bytes turn up by
    # chance in the code and debug information of a large sanitizer build.
    consts="$(mktemp)"
    objcopy -O binary --only-section=.rodata --only-section=.data "$f" "$consts" 2>/dev/null || cp "$f" "$consts"
    if grep -aqP "$numbers" "$consts"; then
        echo "$f holds an instrument-network address as a number"
        found=1
    fi
    rm -f "$consts"
done
echo "$checked programs checked"
[ "$checked" -gt 0 ] || { echo "no programs in $dir"; exit 1; }
exit "$found"
