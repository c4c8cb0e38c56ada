#!/usr/bin/env bash
# The built manuals: each has pages, a title, its language's opening sentence, every heading
# and paragraph of its source (by their first words), and the four pictures; the pictures
# have their sizes, and those that show no live values differ between the languages (each
# was taken in its own language).
#   check-manuals.sh <folder of the PDFs> <folder of the pictures> <folder of the sources>
set -u
pdfs=$1
pictures=$2
sources=$3
declare -A sentence=(
    [en]="This manual describes velmor, the configuration tool for the VELMORAN programmable ignition unit."
    [de]="Dieses Handbuch beschreibt velmor, das Konfigurationsprogramm für die programmierbare Zündeinheit VELMORAN."
    [fr]="Ce manuel décrit velmor, le logiciel de configuration du module d'allumage programmable VELMORAN."
    [cz]="Tato příručka popisuje velmor, konfigurační program pro programovatelnou zapalovací jednotku VELMORAN."
)
failed=0
fail() { echo "FAIL: $*"; failed=1; }
# Typographic apostrophes as typed, no-break spaces as spaces; fold: all white space as one
# space, lines included.
plain() { sed "s/’/'/g; s/\xc2\xa0/ /g; s/\xe2\x80\xaf/ /g" | tr -s ' \t' ' '; }
fold() { plain | tr -s '[:space:]' ' '; }

for lang in en de fr cz; do
    pdf="$pdfs/manual_velmor_$lang.pdf"
    [ -f "$pdf" ] || { fail "$pdf is missing"; continue; }
    info=$(pdfinfo "$pdf") || { fail "$pdf: pdfinfo cannot read it"; continue; }
    pages=$(awk '/^Pages:/ {print $2}' <<<"$info")
    [ "${pages:-0}" -ge 3 ] || fail "$pdf: ${pages:-no} pages"
    grep -q '^Page size:.*(A4)' <<<"$info" || fail "$pdf: not A4"
    grep -q '^Title: *velmor' <<<"$info" || fail "$pdf: no title"
    text=$(pdftotext -enc UTF-8 "$pdf" - | fold)
    [[ "$text" == *"${sentence[$lang]}"* ]] || fail "$pdf: the opening sentence is not in the text"
    # Headings and paragraphs (lines that start with a letter) outside code blocks.
    while read -r line; do
        start=$(cut -d' ' -f1-5 <<<"$line")
        [[ "$text" == *"$start"* ]] || fail "$pdf: \"$start\" is not in the text"
    done < <(awk '/^```/ {code = !code; next} !code && /^#+ / {sub(/^#+ /, ""); print; next}
                  !code && /^[[:alpha:]]/ {print}' "$sources/manual_$lang.md" | sed 's/\*\*//g; s/`//g' | plain)
    images=$(pdfimages -list "$pdf" | awk 'NR > 2 && $3 == "image"' | wc -l)
    [ "$images" -ge 4 ] || fail "$pdf: $images pictures, 4 expected"
done

# The pictures at their fixed sizes, at twice the pixels for print: the window at its design
# size, the history and difference windows as the picture tool sets them.
declare -A size=([window.png]=1646x1610 [history.png]=1440x380 [compare.png]=1200x340)
pngSize() { od -An -tu1 -j16 -N8 "$1" | awk '{printf "%dx%d", $3 * 256 + $4, $7 * 256 + $8}'; }
for lang in en de fr cz; do
    for picture in window.png graph.png history.png compare.png; do
        file="$pictures/$lang/$picture"
        [ -s "$file" ] || { fail "$file is missing"; continue; }
        [ -z "${size[$picture]:-}" ] || [ "$(pngSize "$file")" = "${size[$picture]}" ] ||
            fail "$file is $(pngSize "$file"), ${size[$picture]} expected"
    done
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
