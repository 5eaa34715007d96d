#!/usr/bin/env bash
# Makes the README's pictures from the real Quillet.exe under Wine on a private Xvfb, in a prefix
# of its own (build/wineprefix-gallery), on a few notes of the current month: every theme, the
# three shapes, the three rooms, Compact, the menu, the About box, and the window at 150 %. Writes
# docs/gallery-*.png.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

tools/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target Quillet quillet_ctl

export WINEPREFIX="$root/build/wineprefix-gallery"
rm -rf "$WINEPREFIX"
shots="$(mktemp -d)"
trap 'rm -rf "$shots"' EXIT

xvfb-run -a -s '-screen 0 1024x768x24' bash -c '
    set -euo pipefail
    shots="$1"
    ctl() { tools/wine-run.sh build/windows/quillet_ctl.exe "$@" | tr -d "\r"; }
    start() { tools/wine-run.sh build/windows/Quillet.exe & quillet=$!; ctl wait; sleep 2; }
    shot() { import -window root -crop "$(ctl rect "${@:2}")" +repage "$shots/$1.png"; }

    # A first start makes the data folder; the notes are then put there as a user would have them.
    start
    ctl exit
    wait "$quillet"
    folder="$(find "$WINEPREFIX/drive_c/users" -type d -name Quillet -path "*Roaming*" | head -n1)"
    python3 - "$folder/qlt_notes.dat" <<"EOF"
import datetime, struct, sys
def counted(text):
    data = text.encode("cp1252")
    return (bytes([len(data)]) if len(data) < 255 else b"\xff" + struct.pack("<H", len(data))) + data
today = datetime.date.today()
notes = {3: "Dentist at 10:30", 9: "Call Mum - her birthday on Sunday", 12: "Invoice 2026-118 paid",
         17: "Book club: chapter 7", 21: "Car service, tyres", today.day: "Buy flowers\r\nPost the parcel"}
records = b"".join(counted(today.replace(day=d).strftime("%d%m%y")) + counted(text)
                   for d, text in sorted(notes.items()))
every = "Water the plants\r\nStand-up at 9:15"
open(sys.argv[1], "wb").write(counted(every) + struct.pack("<i", len(notes)) + records)
EOF
    start

    for theme in 0 1 2 3 4 5 6 7; do
        ctl command $((320 + theme)); sleep 0.5; shot "theme-$theme"
    done
    ctl command 320
    for shape in 0 1 2; do
        ctl command $((330 + shape)); sleep 0.5; shot "shape-$shape"
    done
    ctl room 1; sleep 0.5; shot room-1
    ctl room 0; sleep 0.5; shot room-0
    ctl room 2; ctl settext 1014 "car"; sleep 1; shot room-2
    ctl room 0; ctl command 351; sleep 0.5
    import -window root -crop "$(ctl rect | sed -E "s/x[0-9]+\+/x24+/")" +repage "$shots/compact.png"
    ctl command 351; sleep 0.5
    ctl menu; sleep 1
    import -window root -crop "$(ctl menurect)" +repage "$shots/menu.png"
    wineserver -k || true
    start
    ctl command 394; sleep 1; shot about "About Quillet"
    wineserver -k || true

    # The same window at a display scale of 150 %: the prefix is read as each program starts.
    wine reg add "HKCU\\Control Panel\\Desktop" /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
    wineserver -w
    start
    shot scale-150
    wineserver -k || true
' gallery "$shots"

mkdir -p docs
# Side by side, 8 white pixels apart.
row() { local out="$1"; shift; convert "$@" -background white -splice 8x0 +append -chop 8x0 -strip "$out"; }
row docs/gallery-themes.png "$shots"/theme-{0..7}.png
row docs/gallery-shapes.png "$shots"/shape-{0..2}.png
row docs/gallery-rooms.png "$shots"/room-{0..2}.png
convert "$shots/compact.png" -strip docs/gallery-compact.png
convert "$shots/about.png" -strip docs/gallery-about.png
convert "$shots/menu.png" -strip docs/gallery-menu.png
convert "$shots/scale-150.png" -strip docs/gallery-scale-150.png
ls -l docs/gallery-*.png
