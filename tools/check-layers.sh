#!/usr/bin/env bash
# Fails when a file reaches above its layer. The build already keeps each
# library's project headers apart (a core file cannot find a net or ui
# header); this catches the Qt modules, which all share one include root:
#   src/core  Qt Core only
#   src/net   Qt Core and Qt Network
#   src/ui    anything but Qt Multimedia, which only the sound module's
#             own files (src/ui/sound/effect*) use: the game loads the module
#             at its first sound and must not link the audio libraries
# A Qt header is named by its module folder (<QtWidgets/QWidget>) or by its
# class alone (<QWidget>); the class is looked up in the installed modules.
# Within src/ui, window/ is the top: it assembles the main window from the
# other folders, so none of them may include its headers (helpers they share
# live in common/). The entry points may include the window and the
# single-instance guard, and so may the tests, benchmarks and fuzz targets:
# what they need below the window they take from the folder it lives in.
set -euo pipefail
cd "$(dirname "$0")/.."

qt_include=$(find /usr/include -maxdepth 3 -type d -name QtCore -path '*qt6*' | head -n 1)
qt_include=${qt_include%/QtCore}
[ -n "$qt_include" ] || { echo "check-layers: Qt headers not found" >&2; exit 2; }

status=0
check() { # [except=PATTERN] check FOLDER ALLOWED-MODULES...: files matching PATTERN are left out
    local folder=$1; shift
    local allowed=" $* "
    while IFS=: read -r file line text; do
        header=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*<([^>]+)>.*/\1/' <<<"$text")
        module=""
        if [[ $header == Qt*/* ]]; then
            module=${header%%/*}
        elif [[ $header == Q* && $header != */* ]]; then
            for dir in "$qt_include"/Qt*/; do
                if [ -f "$dir$header" ]; then
                    module=$(basename "$dir")
                    [[ $allowed == *" $module "* ]] && break
                fi
            done
        fi
        if [ -n "$module" ] && [[ $allowed != *" $module "* ]]; then
            echo "$file:$line: <$header> is $module, which $folder may not use"
            status=1
        fi
    done < <(grep -rn -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*<' "$folder" |
        grep -v -E "^(${except:-$^}):" || true)
}

check src/core QtCore
check src/net QtCore QtNetwork
except='src/ui/sound/effect[^:]*' check src/ui $(cd "$qt_include" && ls -d Qt* | grep -v '^QtMultimedia')

while IFS=: read -r file line text; do
    header=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]+)".*/\1/' <<<"$text")
    case $file:$header in
    src/ui/window/*) ;;
    src/app/*:window/tchat.h | src/app/*:window/singleinstance.h) ;;
    tests/*:window/tchat.h | tests/*:window/singleinstance.h) ;;
    bench/*:window/tchat.h | fuzz/*:window/tchat.h) ;;
    *)
        echo "$file:$line: \"$header\" is the main window's, which only src/ui/window may use"
        status=1
        ;;
    esac
done < <(grep -rn -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"window/' src tests bench fuzz || true)
exit $status
