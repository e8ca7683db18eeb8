# Sourced by the scripts that wait for the main dialog: main_caption, the caption its
# template gives it (src/resources/Dialog102.cpp), where the text is written once.
main_caption=$(sed -n 's/^ *IDD_MAIN, "\([^"]*\)",.*/\1/p' \
    "$(dirname "${BASH_SOURCE[0]}")/../src/resources/Dialog102.cpp")
if [ -z "$main_caption" ]; then
    echo "no caption for IDD_MAIN in src/resources/Dialog102.cpp" >&2
    exit 1
fi
