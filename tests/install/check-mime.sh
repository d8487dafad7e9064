#!/bin/sh
# The data-file type as a file manager sees it. With our type compiled into
# a scratch MIME database (and no other), GIO gives a .kvd file our type by
# its name alone, a file without the extension by its first line
# "Korvanes-kvd", and leaves other text plain text.
# Usage: check-mime.sh MIME-XML EXAMPLE.kvd (an example with that first line)
set -eu
mime_xml=$1
example=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export XDG_DATA_HOME="$dir" XDG_DATA_DIRS="$dir"

xmllint --noout "$mime_xml"
mkdir -p "$dir/mime/packages"
cp "$mime_xml" "$dir/mime/packages/korvanestool.xml"
update-mime-database "$dir/mime"
tail -n +2 "$example" > "$dir/headerless.kvd"
cp "$example" "$dir/no-extension"
printf 'Measurements of AB12a\n20.00 500.0\n' > "$dir/notes"

status=0
for case in "$dir/headerless.kvd application/x-korvanes-kvd" "$dir/no-extension application/x-korvanes-kvd" \
            "$dir/notes text/plain"; do
    file=${case% *}
    expected=${case##* }
    actual=$(gio info -a standard::content-type "$file" | sed -n 's/^ *standard::content-type: //p')
    if [ "$actual" != "$expected" ]; then
        echo "$file: type '$actual', expected '$expected'"
        status=1
    fi
done
exit $status
