#!/usr/bin/env bash
# Compiles the help project into one .chm file with chmcmd.
#
#   compile_chm.sh SOURCE_DIR OUTPUT_CHM WORK_DIR
#
# chmcmd names the topics of the context map ([ALIAS]) by the full path of
# the folder it compiles in, a name that matches no topic inside the help
# file. Compiled where that folder is the root of the file system (a private
# mount namespace with a chroot), the map names them "/main_window.htm" as
# HTML Help looks them up, and no path of the build machine gets into the
# file. Without private namespaces the file is compiled in place, with a
# warning: its topics work, its context numbers do not.
set -euo pipefail
source_dir=$1
output=$2
work=$3

rm -rf "$work"
mkdir -p "$work/stage"
cp "$source_dir/tessory.hhp" "$source_dir/toc.hhc" "$source_dir"/topics/* "$work/stage/"
chmcmd=$(readlink -f "$(command -v chmcmd)")

if unshare --user --map-root-user --mount true 2>/dev/null; then
  STAGE="$work/stage" CHMCMD="$chmcmd" unshare --user --map-root-user --mount sh -euc '
    for dir in usr lib lib64 lib32 libx32 bin; do
      if [ -e "/$dir" ]; then mkdir -p "$STAGE/$dir"; mount --bind "/$dir" "$STAGE/$dir"; fi
    done
    cd "$STAGE"
    chroot "$STAGE" "$CHMCMD" --no-html-scan /tessory.hhp >/dev/null'
else
  echo "compile_chm.sh: no private mount namespace here; the help file's context numbers will not work" >&2
  (cd "$work/stage" && "$chmcmd" --no-html-scan tessory.hhp >/dev/null)
fi
cp "$work/stage/tessory.chm" "$output"
