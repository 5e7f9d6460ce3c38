#!/usr/bin/env bash
# Fails when a file of a layer includes a header of a layer its library does
# not link (read from the SLIP_DEPS_* lines of CMakeLists.txt, followed
# through the layers they link), or, below the windows, a Qt Widgets header.
set -euo pipefail
src="$1"
cmake="${2:-$src/../CMakeLists.txt}"
widgets='Q(Widget|Application|Dialog|MainWindow|MessageBox|InputDialog|FileDialog|Label|LineEdit|TextEdit|PlainTextEdit|PushButton|AbstractButton|CheckBox|ComboBox|ScrollBar|ScrollArea|TableView|TableWidget|TreeView|ListView|ListWidget|HeaderView|Menu|MenuBar|Action|ToolBar|StatusBar|TabWidget|TabBar|Layout|BoxLayout|HBoxLayout|VBoxLayout|GridLayout|FormLayout|Splitter|Frame|GroupBox|SpinBox|DoubleSpinBox|RadioButton|ButtonGroup|ColorDialog|FontDialog|PrintDialog|ProgressBar|ProgressDialog|Slider|ToolButton|ToolTip|Style|StyleOption|RubberBand|DialogButtonBox|Completer|DesktopWidget|SystemTrayIcon|Widgets)'

declare -A direct
while read -r layer deps; do
  direct[$layer]="$deps"
done < <(sed -nE 's/^set\(SLIP_DEPS_([a-z]+) (.*)\)$/\1 \2/p' "$cmake" |
         while read -r layer rest; do
           echo "$layer $(grep -oE 'slip_[a-z]+' <<<"$rest" | sed 's/^slip_//' | tr '\n' ' ')"
         done)
if [ ${#direct[@]} -eq 0 ]; then echo "no SLIP_DEPS_* lines in $cmake"; exit 1; fi

# The layers a layer's library links, directly or through the layers it links.
linked() {
  local todo="$1" seen=" $1 " l d
  while [ -n "$todo" ]; do
    set -- $todo; l="$1"; shift; todo="$*"
    for d in ${direct[$l]:-}; do
      case "$seen" in *" $d "*) ;; *) seen="$seen$d "; todo="$todo $d" ;; esac
    done
  done
  echo "$seen"
}

status=0
for layer in "${!direct[@]}"; do
  [ -d "$src/$layer" ] || continue
  allowed="$(linked "$layer")"
  while IFS=: read -r file line text; do
    target="$(sed -nE 's/.*#include *"([a-z]+)\/.*/\1/p' <<<"$text")"
    [ -n "${direct[$target]+x}" ] || continue
    case "$allowed" in *" $target "*) ;; *)
      echo "$layer includes $target, which it does not link: $file:$line: $text"
      status=1 ;;
    esac
  done < <(grep -rnE '#include *"[a-z]+/' "$src/$layer" || true)
  case " core model entry storage batch print exchange " in *" $layer "*)
    while IFS= read -r hit; do
      echo "widget include below the windows: $hit"
      status=1
    done < <(grep -rnE "#include *[<\"]($widgets|QtWidgets/[^>\"]*)[>\"]" "$src/$layer" || true) ;;
  esac
done
if [ $status -eq 0 ]; then echo "layers hold"; fi
exit $status
