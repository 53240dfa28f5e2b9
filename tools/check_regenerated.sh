#!/bin/sh
# Regenerates everything written from catalogue/dictionary.json into a scratch folder and
# compares it with the files in the tree: the catalogue's sources and the conversion-run
# fixture. Fails, with the differences, when a dictionary change was not regenerated or a
# generated file was edited by hand.
#   tools/check_regenerated.sh SCRATCH_FOLDER
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
out=$1
rm -rf "$out"
mkdir -p "$out/app/testdata"
python3 "$top/tools/gen_catalogue.py" "$out"
python3 "$top/tools/converted_fields_fixture.py" >"$out/app/testdata/converted_fields.txt"
diff -r "$top/catalogue/generated" "$out/catalogue/generated"
diff "$top/app/testdata/converted_fields.txt" "$out/app/testdata/converted_fields.txt"
