#!/usr/bin/env bash
# Starts each program on a headless X server with a window manager, brings it to the state that
# shows its technique, and writes docs/gallery/<program>.png. Run after scripts/setup.sh (as root:
# the X server with several display modes is Xorg with the dummy driver).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/docs/gallery
mkdir -p "$out"
command -v import >/dev/null || { [ "$(id -u)" -eq 0 ] && apt-get install -y -qq --no-install-recommends imagemagick >/dev/null; }

work=$(mktemp -d)
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"; }
trap cleanup EXIT

exec {fd}<> <(:)
Xorg -config "$root/tests/display/xorg-dummy.conf" -novtswitch -sharevts -noreset -nolisten tcp \
     -logfile "$work/xorg.log" -displayfd "$fd" >/dev/null 2>&1 &
pids+=($!)
read -r -t 10 number <&"$fd"
export DISPLAY=:$number
xrandr --output DUMMY0 --mode 1280x1024 >/dev/null 2>&1 || true
xsetroot -solid '#3a4a5c' || true
openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
sleep 1
export SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb

window_of() {  # the program's client window, by its exact title
    for _ in $(seq 50); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1) && [ -n "$id" ] && { echo "$id"; return; }
        sleep 0.1
    done
    echo "no window '$1'" >&2; return 1
}
origin_of() { xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} END{print x, y}'; }
click() {  # window, x, y in client pixels
    read -r x y < <(origin_of "$1")
    xdotool mousemove --sync $((x + $2)) $((y + $3)); sleep 0.2; xdotool click 1; sleep 0.4
}
shoot() {  # window, name: the window with its frame
    xdotool windowactivate --sync "$1" 2>/dev/null || true
    sleep 0.5
    import -frame -window "$1" "$out/$2.png"
    echo "gallery: $out/$2.png"
}
start() {  # program [directory]: starts it from its build folder
    (cd "${2:-$root/build/$1}" && exec "$root/build/$1/$1") >/dev/null 2>&1 &
    pids+=($!)
}
stop_last() { kill "${pids[-1]}" 2>/dev/null || true; unset 'pids[-1]'; sleep 0.3; }

start blendview
w=$(window_of "半透明表示サンプル"); click "$w" 264 228; click "$w" 360 228
w=$(window_of "半透明表示サンプル.*"); shoot "$w" blendview; stop_last

start spritemask
w=$(window_of "グラフィック作画サンプル"); click "$w" 120 16; click "$w" 64 52; click "$w" 64 92
shoot "$w" spritemask; stop_last

start modeswitch
w=$(window_of "ディスプレイサイズの変更のサンプル"); click "$w" 48 332; shoot "$w" modeswitch; stop_last

"$root/build/tools/line_echo_server" 7777 >/dev/null &
pids+=($!)
start tcpterm
w=$(window_of "ＴＣＰクライアント")
read -r x y < <(origin_of "$w")
for field in "8 16 127.0.0.1" "160 16 7777" "8 48 hello　日本語の行"; do
    set -- $field
    xdotool mousemove --sync $((x + $1)) $((y + $2)) click --repeat 3 1 key ctrl+a BackSpace; sleep 0.2
    xdotool type --delay 120 "$3"; sleep 0.2
done
click "$w" 270 16; sleep 0.5; click "$w" 276 48; sleep 0.5
shoot "$w" tcpterm; stop_last; stop_last

start joy
w=$(window_of "ジョイステックテスター"); click "$w" 190 40; shoot "$w" joy; stop_last

start stickpoll
w=$(window_of "X:.*"); shoot "$w" stickpoll; stop_last

start tickplot
w=$(window_of "タイマーオブジェクトの精度"); click "$w" 88 548; sleep 8; shoot "$w" tickplot; stop_last

for program in wavefile:"ファイルから効果音\\(WAV\\)を再生サンプル" wavememory:"メモリから効果音\\(WAV\\)を再生サンプル" \
               grabmove:"タイトルバー以外でウインドウのドラッグ" linkopen:"URLを指定してブラウザを起動"; do
    start "${program%%:*}"
    w=$(window_of "${program#*:}"); shoot "$w" "${program%%:*}"; stop_last
done

start bareframe
w=$(window_of "タイトルバーの上手な消し方"); shoot "$w" bareframe; stop_last
