#!/bin/sh
# Ravelle on a real X server (Xvfb): "Open" clicked where the main window
# shows it, the designer window titled "Orvane" comes up with the receipt
# drawn, the screen is kept for people to look at, and File > Close closes
# the designer and gives Ravelle back.
#
# usage: xvfb_open_test.sh RAVELLE ARTIFACT_DIR
# Exit 77 (skipped) when an X tool is missing; scripts/setup installs them
# (packages xvfb, xauth, xdotool, imagemagick).
set -u

ravelle=${1:?usage: xvfb_open_test.sh RAVELLE ARTIFACT_DIR}
artifacts=${2:?usage: xvfb_open_test.sh RAVELLE ARTIFACT_DIR}

for tool in xvfb-run xdotool import convert; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "skipped: $tool is not installed (scripts/setup installs xvfb, xdotool and imagemagick)"
    exit 77
  fi
done
[ -x "$ravelle" ] || { echo "no program at $ravelle"; exit 1; }
# Both stay valid in the folder the test moves to.
ravelle=$(cd "$(dirname "$ravelle")" && pwd)/$(basename "$ravelle")
mkdir -p "$artifacts" || exit 1
artifacts=$(cd "$artifacts" && pwd)

shot="$artifacts/ravelle-designer.png"
rm -f "$shot"
# A folder of its own: no Ravelle.rtm (the default receipt shows) and no
# designer settings of the user's.
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

export RAVELLE="$ravelle" SHOT="$shot" XDG_CONFIG_HOME="$work/config"
unset QT_QPA_PLATFORM

# Inside the X server. Exit codes: 3 no main window, 4 no designer, 5 no
# screenshot, 6 the workspace is blank, 7 the designer did not close,
# 8 Ravelle ended with the designer.
xvfb-run -a -s "-screen 0 1280x900x24 -dpi 96" sh -c '
  "$RAVELLE" & pid=$!
  fail() { echo "$2"; kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; exit "$1"; }

  main=$(timeout 30 xdotool search --sync --onlyvisible --name "^Trust Account Receipt Layout\$" | head -n 1)
  [ -n "$main" ] || fail 3 "Ravelle'"'"'s window did not show"
  eval "$(xdotool getwindowgeometry --shell "$main")"
  # "Open" is 75 x 25 pixels at (16, 16) of the window'"'"'s client area.
  xdotool mousemove --sync $((X + 16 + 37)) $((Y + 16 + 12)) click 1

  designer=$(timeout 30 xdotool search --sync --onlyvisible --name "^Orvane" | head -n 1)
  [ -n "$designer" ] || fail 4 "no window titled Orvane after Open"
  eval "$(xdotool getwindowgeometry --shell "$designer")"
  # The workspace: below the menu, the tabs and the horizontal ruler, right
  # of the vertical ruler, above the status bar.
  area="$((WIDTH - 60))x$((HEIGHT - 150))+$((X + 40))+$((Y + 100))"

  # The controls are drawn after the window shows: grab until two grabs a
  # half second apart are alike, for at most half a minute.
  tries=0
  import -window root "$SHOT" || fail 5 "import failed"
  while [ $tries -lt 60 ]; do
    sleep 0.5
    import -window root "$SHOT.next.png" || fail 5 "import failed"
    [ "$(compare -metric AE "$SHOT" "$SHOT.next.png" null: 2>&1)" = 0 ] && break
    mv "$SHOT.next.png" "$SHOT"
    tries=$((tries + 1))
  done
  rm -f "$SHOT.next.png"

  # The receipt'"'"'s text: dark pixels, at least one in two hundred of the workspace.
  dark=$(convert "$SHOT" -crop "$area" +repage -colorspace Gray -threshold 35% -format "%[fx:1-mean]" info:)
  echo "dark share of the workspace ($area): $dark"
  awk -v d="$dark" "BEGIN { exit !(d > 0.005 && d < 0.5) }" || fail 6 "the workspace looks blank"

  # File > Close from the keyboard; the designer goes, Ravelle stays.
  xdotool windowfocus --sync "$designer"
  xdotool key --clearmodifiers alt+f
  sleep 0.5
  xdotool key c
  tries=0
  while xdotool search --onlyvisible --name "^Orvane" >/dev/null 2>&1; do
    tries=$((tries + 1))
    [ $tries -ge 40 ] && fail 7 "the designer did not close"
    sleep 0.25
  done
  kill -0 "$pid" 2>/dev/null || fail 8 "Ravelle ended with the designer"
  kill "$pid"
  wait "$pid" 2>/dev/null
  exit 0
'
status=$?
[ -f "$shot" ] && echo "screenshot: $shot"
exit $status
