#!/usr/bin/env bash
# Starts the real program on an X server with no settings file beside it, takes screenshots of
# its window and closes it the way a user does. Once with a window manager (the window comes up
# maximised, closed with Alt+F4) and once without (the window keeps its restored place and size,
# closed with "退出"). Usage: xvfb_smoke.sh PROGRAM SCREENSHOT_DIR
set -euo pipefail
program=$1
shots=$2
mkdir -p "$shots"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$program" "$work/varnelo-excel"

cat > "$work/session.sh" <<'INNER'
#!/usr/bin/env bash
set -euo pipefail
exe=$1 shots=$2 mode=$3
if [ "$mode" = maximised ]; then
  openbox --sm-disable >/dev/null 2>&1 &
  sleep 1
fi
"$exe" & app=$!
for _ in $(seq 50); do
  win=$(xdotool search --name 'Varnelo工具' 2>/dev/null | head -1 || true)
  [ -n "$win" ] && break
  sleep 0.2
done
[ -n "$win" ] || { echo "no window appeared"; exit 1; }
sleep 1.5
import -window root "$shots/$mode.png"
eval "$(xdotool getwindowgeometry --shell "$win")"
echo "$mode: window at $X,$Y size ${WIDTH}x${HEIGHT}"
if [ "$mode" = maximised ]; then
  [ "$WIDTH" -gt 826 ] || { echo "not maximised"; exit 1; }
  xdotool windowactivate --sync "$win" key alt+F4
else
  [ "$X,$Y,$WIDTH,$HEIGHT" = "215,104,818,481" ] || { echo "restored place differs"; exit 1; }
  # "退出" is the eighth toolbar item: 320 px in, 60 x 40, below the 2 px groove.
  xdotool mousemove --sync $((X + 350)) $((Y + 22))
  sleep 0.3
  xdotool click 1
fi
running() { local state; state=$(ps -o stat= -p "$app" 2>/dev/null || true); [[ -n $state && $state != Z* ]]; }
for _ in $(seq 50); do
  running || break
  sleep 0.2
done
if running; then echo "did not close"; kill "$app"; exit 1; fi
wait "$app"
echo "$mode: closed, exit status $?"
INNER
chmod +x "$work/session.sh"

for mode in restored maximised; do
  xvfb-run -a -s "-screen 0 1280x1024x24" "$work/session.sh" "$work/varnelo-excel" "$shots" "$mode"
done
test ! -e "$work/DataSet.ini"
