#!/usr/bin/env bash
# The built manuals: each has pages, a title, its language's opening sentence and the four
# pictures; and the pictures that show no live values differ between the languages (each was
# taken in its own language).
#   check-manuals.sh <folder of the PDFs> <folder of the pictures>
set -u
pdfs=$1
pictures=$2
declare -A sentence=(
    [en]="This manual describes velmor, the configuration tool for the VELMORAN programmable ignition unit."
    [de]="Dieses Handbuch beschreibt velmor, das Konfigurationsprogramm für die programmierbare Zündeinheit VELMORAN."
    [fr]="Ce manuel décrit velmor, le logiciel de configuration du module d'allumage programmable VELMORAN."
    [cz]="Tato příručka popisuje velmor, konfigurační program pro programovatelnou zapalovací jednotku VELMORAN."
)
failed=0
fail() { echo "FAIL: $*"; failed=1; }

for lang in en de fr cz; do
    pdf="$pdfs/manual_velmor_$lang.pdf"
    [ -f "$pdf" ] || { fail "$pdf is missing"; continue; }
    info=$(pdfinfo "$pdf") || { fail "$pdf: pdfinfo cannot read it"; continue; }
    pages=$(awk '/^Pages:/ {print $2}' <<<"$info")
    [ "${pages:-0}" -ge 3 ] || fail "$pdf: ${pages:-no} pages"
    grep -q '^Page size:.*(A4)' <<<"$info" || fail "$pdf: not A4"
    grep -q '^Title: *velmor' <<<"$info" || fail "$pdf: no title"
    # White space folded, typographic apostrophes as typed.
    text=$(pdftotext -enc UTF-8 "$pdf" - | sed "s/’/'/g" | tr -s '[:space:]' ' ')
    [[ "$text" == *"${sentence[$lang]}"* ]] || fail "$pdf: the opening sentence is not in the text"
    images=$(pdfimages -list "$pdf" | awk 'NR > 2 && $3 == "image"' | wc -l)
    [ "$images" -ge 4 ] || fail "$pdf: $images pictures, 4 expected"
done

for picture in compare.png history.png; do
    for a in en de fr cz; do
        for b in en de fr cz; do
            [[ "$a" < "$b" ]] || continue
            if cmp -s "$pictures/$a/$picture" "$pictures/$b/$picture"; then
                fail "$picture is the same in $a and $b"
            fi
        done
    done
done
[ "$failed" -eq 0 ] && echo "four manuals checked"
exit "$failed"
