#!/usr/bin/env bash
# Builds tools/mkpixmap in a scratch directory, converts the program's
# pictures and small hand-made ones, and reads the resulting headers and
# pixels back byte by byte. Exits non-zero if any case fails.
set -u

root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tool=$work/mkpixmap
cxx=${CXX:-g++}

passed=0
failed=0
case_name=
case_ok=1

begin() { case_name=$1; case_ok=1; }
fail() { echo "    $*"; case_ok=0; }
end() {
    if ((case_ok)); then
        passed=$((passed + 1)); echo "ok   $case_name"
    else
        failed=$((failed + 1)); echo "FAIL $case_name"
    fi
}
expect() { [[ "$2" == "$3" ]] || fail "$1: got '$2', expected '$3'"; }

# Unsigned bytes of FILE from OFFSET, space separated.
bytes() { od -An -tu1 -j "$2" -N "$3" "$1" 2>/dev/null | tr -s ' \n' ' ' | sed 's/^ //; s/ $//'; }
# Little-endian 16- and 32-bit fields; "short" past the end of the file.
u16() {
    local b; read -r -a b <<<"$(bytes "$1" "$2" 2)"
    ((${#b[@]} == 2)) && echo $((b[0] | b[1] << 8)) || echo short
}
u32() {
    local b; read -r -a b <<<"$(bytes "$1" "$2" 4)"
    ((${#b[@]} == 4)) && echo $((b[0] | b[1] << 8 | b[2] << 16 | b[3] << 24)) || echo short
}
size_of() { wc -c <"$1" | tr -d ' '; }

# Checks the BITMAPINFOHEADER at OFFSET: width, height as stored, 4 bpp, BI_RGB.
check_dib() {
    local f=$1 at=$2 w=$3 h=$4 what=$5
    expect "$what biSize" "$(u32 "$f" "$at")" 40
    expect "$what biWidth" "$(u32 "$f" $((at + 4)))" "$w"
    expect "$what biHeight" "$(u32 "$f" $((at + 8)))" "$h"
    expect "$what biPlanes" "$(u16 "$f" $((at + 12)))" 1
    expect "$what biBitCount" "$(u16 "$f" $((at + 14)))" 4
    expect "$what biCompression" "$(u32 "$f" $((at + 16)))" 0
}

# rejects NAME KIND FRAGMENT < picture: the tool must refuse it with exit
# status 1 (not a crash), say FRAGMENT, and leave no output behind. Feed it
# by redirection, not a pipe, or its verdict is lost in a subshell.
rejects() {
    local name=$1 kind=$2 fragment=$3 status
    cat >"$work/bad.pxm"
    rm -f "$work/bad.$kind" "$work/bad.$kind.tmp"
    "$tool" "$kind" "$work/bad.pxm" "$work/bad.$kind" 2>"$work/err"
    status=$?
    expect "$name: exit status" "$status" 1
    grep -q -- "$fragment" "$work/err" || fail "$name: message '$(cat "$work/err")' lacks '$fragment'"
    [[ -e $work/bad.$kind || -e $work/bad.$kind.tmp ]] && fail "$name: left an output file"
}

begin "builds warning-free with g++ (and MinGW when present)"
if "$cxx" -std=c++17 -O1 -Wall -Wextra -Werror -o "$tool" "$root/tools/mkpixmap.cpp" 2>"$work/build.log"; then
    :
else
    cat "$work/build.log"; fail "$cxx failed"
fi
if command -v x86_64-w64-mingw32-g++ >/dev/null; then
    x86_64-w64-mingw32-g++ -std=c++17 -O1 -Wall -Wextra -Werror -o "$work/mkpixmap.exe" \
        "$root/tools/mkpixmap.cpp" 2>"$work/build.log" || { cat "$work/build.log"; fail "MinGW build failed"; }
fi
end
if [[ ! -x $tool ]]; then
    echo "mkpixmap: $passed passed, $failed failed (nothing else can run)"
    exit 1
fi

begin "program icon: 32x32 (then optional 16x16) 4-bit images with masks"
ico=$work/pellwick.ico
"$tool" ico "$root/src/res/pellwick.ico.pxm" "$ico" || fail "conversion failed"
if [[ -f $ico ]]; then
    expect "reserved+type" "$(bytes "$ico" 0 4)" "0 0 1 0"
    count=$(u16 "$ico" 4)
    [[ $count == 1 || $count == 2 ]] || fail "image count $count"
    [[ $count =~ ^[0-9]+$ ]] || count=0
    end_of_images=$((6 + 16 * count))
    for ((i = 0; i < count; i++)); do
        e=$((6 + 16 * i)) side=$((i == 0 ? 32 : 16))
        expect "entry $i width,height,colours,reserved" "$(bytes "$ico" "$e" 4)" "$side $side 16 0"
        expect "entry $i planes" "$(u16 "$ico" $((e + 4)))" 1
        expect "entry $i bpp" "$(u16 "$ico" $((e + 6)))" 4
        len=$(u32 "$ico" $((e + 8))) at=$(u32 "$ico" $((e + 12)))
        # header, 16 colours, 4-bit rows and 1-bit mask rows, each row a whole dword
        expect "entry $i size" "$len" $((40 + 64 + side * (side / 2 > 4 ? side / 2 : 4) + side * 4))
        expect "entry $i offset" "$at" "$end_of_images"
        check_dib "$ico" "$at" "$side" $((2 * side)) "image $i"
        end_of_images=$((at + len))
    done
    expect "file size" "$(size_of "$ico")" "$end_of_images"
    if command -v file >/dev/null; then
        file -b "$ico" | grep -q "icon resource.*32x32.*4 bits/pixel" || fail "file(1) says: $(file -b "$ico")"
    fi
fi
end

begin "toolbar strip: 160x15 4-bit bitmap"
bmp=$work/toolbar.bmp
"$tool" bmp "$root/src/res/toolbar.bmp.pxm" "$bmp" || fail "conversion failed"
if [[ -f $bmp ]]; then
    expect "magic" "$(bytes "$bmp" 0 2)" "66 77"
    # 14 + 40 + 16*4 bytes of headers and colours, then 15 rows of 80 bytes
    expect "file size" "$(size_of "$bmp")" 1318
    expect "bfSize" "$(u32 "$bmp" 2)" 1318
    expect "bfOffBits" "$(u32 "$bmp" 10)" 118
    check_dib "$bmp" 14 160 15 "toolbar"
    # The button face must be the exact classic grey, in the corner pixel.
    corner=$(($(bytes "$bmp" 118 1) >> 4))
    expect "corner colour (B G R 0)" "$(bytes "$bmp" $((54 + 4 * corner)) 4)" "192 192 192 0"
    if command -v file >/dev/null; then
        file -b "$bmp" | grep -q "PC bitmap.*160 x 15 x 4" || fail "file(1) says: $(file -b "$bmp")"
    fi
fi
end

begin "scaled for more DPI: strip sizes, a diagonal's stairs rounded off, bad factors refused"
for f in "3/2 240 23" "2 320 30" "3 480 45"; do
    read -r factor w h <<<"$f"
    "$tool" bmp "$root/src/res/toolbar.bmp.pxm" "$work/scaled.bmp" "$factor" || fail "factor $factor failed"
    check_dib "$work/scaled.bmp" 14 "$w" "$h" "toolbar scaled by $factor"
done
cat >"$work/diag.pxm" <<'EOF'
k = black
w = white
size 2 2
kw
wk
EOF
"$tool" bmp "$work/diag.pxm" "$work/diag.bmp" 2 || fail "scaling the diagonal failed"
# Twice the size, corners filled where two neighbours agree:
#   kkww / kwkw / wkwk / wwkk, stored bottom row first.
expect "diagonal pixels" "$(bytes "$work/diag.bmp" 118 16)" "255 0 0 0 240 240 0 0 15 15 0 0 0 255 0 0"
"$tool" ico "$root/src/res/pellwick.ico.pxm" "$work/big.ico" 3/2 2 || fail "icon with factors failed"
expect "icon images" "$(u16 "$work/big.ico" 4)" 4
expect "third and fourth image sides" "$(bytes "$work/big.ico" 38 2) $(bytes "$work/big.ico" 54 2)" "48 48 64 64"
"$tool" bmp "$work/diag.pxm" "$work/bad.bmp" 5/4 2>"$work/err"
expect "a factor of 5/4: exit status" "$?" 1
grep -q "a factor is 2, 3 or 3/2" "$work/err" || fail "5/4: message '$(cat "$work/err")'"
end

begin "bitmap pixels: bottom-up, left pixel in the high nibble, rows padded"
cat >"$work/px.pxm" <<'EOF'
# standard colours keep their standard palette slots
k = black
r = red
w = white
b = blue
l = lime
y = yellow
size 3 2
krw
bly
EOF
"$tool" bmp "$work/px.pxm" "$work/px.bmp" || fail "conversion failed"
expect "size" "$(size_of "$work/px.bmp")" 126
expect "pixels" "$(bytes "$work/px.bmp" 118 8)" "202 176 0 0 9 240 0 0"
expect "red slot" "$(bytes "$work/px.bmp" $((54 + 4 * 9)) 4)" "0 0 255 0"
end

begin "size inferred from rows, tiles laid left to right, custom colours"
cat >"$work/tiles.pxm" <<'EOF'
o = #FF8000
k = black
size 4 2 tiles 2
# tile 0
ok
ko
# tile 1
kk
oo
EOF
"$tool" bmp "$work/tiles.pxm" "$work/tiles.bmp" || fail "tiled conversion failed"
check_dib "$work/tiles.bmp" 14 4 2 "tiled"
# A non-standard colour gets a table of its own, in palette order.
expect "table" "$(bytes "$work/tiles.bmp" 54 8)" "0 128 255 0 0 0 0 0"
expect "tiled pixels" "$(bytes "$work/tiles.bmp" 118 8)" "16 0 0 0 1 17 0 0"
printf 'k = black\nw = white\n\nkwkww\nwkwkk\nkkkkk\n' >"$work/free.pxm"
"$tool" bmp "$work/free.pxm" "$work/free.bmp" || fail "sizeless conversion failed"
check_dib "$work/free.bmp" 14 5 3 "inferred"
end

begin "icon mask: transparent pixels set in the AND mask and black in the colours"
cat >"$work/mask.pxm" <<'EOF'
_ = transparent
w = white
k = black
size 2 2
_k
w_
size 1 1
w
EOF
"$tool" ico "$work/mask.pxm" "$work/mask.ico" || fail "conversion failed"
expect "count" "$(u16 "$work/mask.ico" 4)" 2
at=$(u32 "$work/mask.ico" 18)
expect "first image at" "$at" 38
check_dib "$work/mask.ico" 38 2 4 "2x2"
# colours (bottom row first), then the mask
expect "xor+and" "$(bytes "$work/mask.ico" $((38 + 104)) 16)" "240 0 0 0 0 0 0 0 64 0 0 0 128 0 0 0"
expect "second image at" "$(u32 "$work/mask.ico" 34)" $((38 + 104 + 16))
# With a table of its own, black is added after the declared colours and
# transparent pixels must point at it, not at slot 0.
printf 'o = #FF8000\n_ = transparent\nsize 2 1\no_\n' >"$work/own.pxm"
"$tool" ico "$work/own.pxm" "$work/own.ico" || fail "custom-colour icon failed"
expect "own table" "$(bytes "$work/own.ico" 62 8)" "0 128 255 0 0 0 0 0"
expect "own xor+and" "$(bytes "$work/own.ico" $((22 + 104)) 8)" "1 0 0 0 64 0 0 0"
end

begin "malformed pictures are refused without leaving output"
rejects "row width" bmp "31 characters wide, expected 32" <<'EOF'
. = white
size 32 2
................................
...............................
EOF
rejects "unknown character" ico "unknown palette character 'x' in column 3" <<'EOF'
. = white
size 4 1
..x.
EOF
rejects "too few rows" bmp "1 rows, expected 2" <<'EOF'
. = white
size 2 2
..
EOF
rejects "too many rows" bmp "too many rows" <<'EOF'
. = white
size 2 1
..
..
EOF
rejects "tile rows" bmp "expected 4 (2 tiles of 2)" <<'EOF'
. = white
size 4 2 tiles 2
..
..
..
EOF
# Palette lines a = COLOUR, b = ..., one letter per colour given.
palette() {
    local letters=abcdefghijklmnopqrstuvwxyz i=0 c
    for c in "$@"; do printf '%s = %s\n' "${letters:i++:1}" "$c"; done
}
fifteen="maroon green olive navy purple teal silver gray red lime yellow blue fuchsia aqua white"
# shellcheck disable=SC2086 # one argument per colour
rejects "17 colours" bmp "17 distinct colours" \
    < <(palette black $fifteen '#123456'; printf 'size 1 1\na\n')
# Sixteen colours leave no room for the black under transparent pixels.
# shellcheck disable=SC2086
rejects "16 colours and transparency" ico "with black for transparency" \
    < <(palette transparent $fifteen '#123456'; printf 'size 1 1\na\n')
rejects "transparent bmp" bmp "transparent" <<'EOF'
_ = transparent
size 1 1
_
EOF
rejects "unknown colour" bmp "unknown colour" <<'EOF'
. = mauve
size 1 1
.
EOF
rm -f "$work/none.bmp"
"$tool" bmp "$work/does-not-exist.pxm" "$work/none.bmp" 2>"$work/err"
expect "unreadable input: exit status" "$?" 1
grep -q "cannot read" "$work/err" || fail "unreadable input: message '$(cat "$work/err")'"
[[ -e $work/none.bmp || -e $work/none.bmp.tmp ]] && fail "unreadable input: left an output file"
# A failed run must leave the previous good image alone.
echo previous >"$work/keep.bmp"
printf '. = white\nsize 2 1\n.\n' >"$work/short.pxm"
"$tool" bmp "$work/short.pxm" "$work/keep.bmp" 2>/dev/null && fail "short row accepted"
expect "previous output" "$(cat "$work/keep.bmp")" previous
end

echo "mkpixmap: $passed passed, $failed failed"
((failed == 0))
