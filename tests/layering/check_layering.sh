#!/usr/bin/env bash
# What the compiler cannot check about the layers: no relative includes (they would reach a
# folder the library does not link), widget headers only under src/ui, and a command-line
# program without the widget library.
set -u
src=$1
batch=$2
status=0
relative=$(grep -rnE '#include "\.\.?/' "$src" --include=*.h --include=*.cpp)
if [ -n "$relative" ]; then
    echo "relative includes:"; echo "$relative"; status=1
fi
widgets=$(grep -rlE 'QtWidgets|<QWidget|<QDialog|<QMessageBox|class QWidget;' "$src" \
    --include=*.h --include=*.cpp | grep -v "^$src/ui/")
if [ -n "$widgets" ]; then
    echo "widget headers outside src/ui:"; echo "$widgets"; status=1
fi
if ldd "$batch" | grep -q 'libQt6Widgets'; then
    echo "$batch links the widget library"; status=1
fi
exit $status
