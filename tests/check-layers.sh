#!/usr/bin/env bash
# Fails when a file of a layer below the windows includes a Qt Widgets header
# or a header of a window layer.
set -euo pipefail
src="$1"
widgets='Q(Widget|Application|Dialog|MainWindow|MessageBox|InputDialog|FileDialog|Label|LineEdit|TextEdit|PlainTextEdit|PushButton|AbstractButton|CheckBox|ComboBox|ScrollBar|ScrollArea|TableView|TableWidget|TreeView|ListView|ListWidget|HeaderView|Menu|MenuBar|Action|ToolBar|StatusBar|TabWidget|TabBar|Layout|BoxLayout|HBoxLayout|VBoxLayout|GridLayout|FormLayout|Splitter|Frame|GroupBox|SpinBox|DoubleSpinBox|RadioButton|ButtonGroup|ColorDialog|FontDialog|PrintDialog|ProgressBar|ProgressDialog|Slider|ToolButton|ToolTip|Style|StyleOption|RubberBand|DialogButtonBox|Completer|DesktopWidget|SystemTrayIcon|Widgets)'
status=0
for layer in core model entry storage batch print exchange; do
  [ -d "$src/$layer" ] || continue
  while IFS= read -r hit; do
    echo "widget include below the windows: $hit"
    status=1
  done < <(grep -rnE "#include *[<\"]($widgets|QtWidgets/[^>\"]*)[>\"]|#include *\"(ui|workspace|app)/" "$src/$layer" || true)
done
if [ $status -eq 0 ]; then echo "layers hold"; fi
exit $status
