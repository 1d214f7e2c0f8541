#!/usr/bin/env bash
# The installed game under the Wayland desktops players use, each compositor headless, with
# input from its own ways of faking it: mutter (its remote desktop and screen cast services),
# KWin (its fake input and screenshot services), sway (wtype and a virtual pointer), and weston
# nested in sway. Each leg: the window looks as on X11, keys play, the title band drags the
# window, the minimise image and a second start bring it back, SIGTERM ends it promptly keeping
# the stored place, and nothing is printed. On mutter also full screen, on mutter and KWin a
# recording watched with jumps, on sway pause and mute.
# Usage: e2e-desktops.sh PREFIX OUT [LEG...]   (OUT holds scale-1x.png, the X11 picture of the
# window; LEG is mutter_leg, kwin_leg, sway_leg or weston_leg, all of them by default)
set -Eeuo pipefail
trap 'echo "e2e-desktops: FAIL: line $LINENO: $BASH_COMMAND exited $?" >&2' ERR
cd "$(dirname "$0")/.."
prefix=$(realpath "$1")
out=$(realpath "$2")
reference=$out/scale-1x.png
[ -s "$reference" ] || { echo "e2e-desktops: no $reference" >&2; exit 1; }
unset DISPLAY WAYLAND_DISPLAY
work=$(mktemp -d)
pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

now() { date +%s.%N; }
traces() { python3 scripts/e2e-traces.py "$@"; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.2f", b - a }'; }
start=$(now)
step() { printf '[desktops %6ss] %s\n' "$(since "$start")" "$*"; }
fail() {
    echo "e2e-desktops: FAIL: $leg: $*" >&2
    exit 1
}
wait_for() {
    local what=$1 limit=$2
    local deadline=$((SECONDS + limit))
    shift 2
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || fail "no $what within ${limit}s"
        sleep 0.1
    done
}
# spawn VAR COMMAND...: starts COMMAND in the background, its pid in VAR and in pids.
spawn() {
    local var=$1
    shift
    "$@" &
    pids+=($!)
    printf -v "$var" %s "$!"
}
# stop PID: ends a child the leg started and reaps it.
stop() {
    kill "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}

step "build the input tool"
tools=$work/tools
mkdir -p "$tools"
protocols=/usr/share/wayland-protocols
for xml in "$protocols/stable/xdg-shell/xdg-shell.xml" \
    "$protocols/staging/xdg-activation/xdg-activation-v1.xml" \
    tools/wlpoke/wlr-virtual-pointer-unstable-v1.xml \
    /usr/share/plasma-wayland-protocols/fake-input.xml; do
    name=$(basename "$xml" .xml)
    wayland-scanner client-header "$xml" "$tools/$name-client-protocol.h"
    wayland-scanner private-code "$xml" "$tools/$name-protocol.c"
done
# shellcheck disable=SC2046
cc -std=c11 -O2 -Wall -Wextra -Werror -I"$tools" -o "$tools/wlpoke" tools/wlpoke/wlpoke.c \
    "$tools"/*-protocol.c $(pkg-config --cflags --libs wayland-client)
wlpoke=$tools/wlpoke

# The green of the window's body: its box in the X11 picture, to find the window in a screen.
read -r gw gh gx gy < <(convert "$reference" -fill white -opaque '#008000' \
    -fill black +opaque white -format '%@\n' info: | tr 'x+' '  ')
# find_window SCREEN: the window's origin in a screenshot, in wx wy.
find_window() {
    local box
    box=$(convert "$1" -fill white -opaque '#008000' -fill black +opaque white \
        -format '%@' info: 2>/dev/null)
    [[ $box =~ ^${gw}x${gh}\+([0-9]+)\+([0-9]+)$ ]] || return 1
    wx=$((BASH_REMATCH[1] - gx))
    wy=$((BASH_REMATCH[2] - gy))
}
# look NAME: crops the window from the leg's screen and counts the pixels that differ from
# the X11 picture; outside the rounded outline each shows its own background. The idle
# screen's text blinks: a leg looks again until it catches the X11 picture's phase.
look() {
    convert "$out/$leg-$1.png" -crop "697x556+$wx+$wy" +repage "$out/$leg-$1-window.png"
    differing=$(compare -metric AE -fuzz 2% "$out/$leg-$1-window.png" "$reference" null: 2>&1 ||
        true)
    differing=${differing%% *}
}

# A player of the leg's own: fresh folders and settings holding 3 coins and a remembered place.
player() {
    home=$work/$leg/home
    mkdir -p "$home/.config/Nibbly" "$home/.local/share" "$home/.cache" "$work/$leg/run"
    chmod 700 "$work/$leg/run"
    settings=$home/.config/Nibbly/Nibbly.ini
    printf '[SetLog]\nGameCoins=3\nGameHiScore=0\nfrmMainX=1965\nfrmMainY=1455\n' \
        >"$settings"
    env_of_leg=(env HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share"
        XDG_CACHE_HOME="$home/.cache" XDG_RUNTIME_DIR="$work/$leg/run")
}
setting() { sed -n "s/^$1=//p" "$settings"; }
# press KEYS...: sends keys with wtype, first writing the wall time into $wall.
press() {
    now >>"$wall"
    "${desktop[@]}" wtype "$@"
}
input_stamps() {
    grep '"ev":"input"' "$trace" | grep -E "\"line\":\"[0-9]+ $1" | sed -E 's/.*"t":([0-9]+),.*/\1/'
}
# start_by_token SEND...: a second start with a real activation token. The token client
# (focused first, as compositors give tokens only to the focused) asks for one at the key
# SEND gives it, and starts the game with it; it stays until token_client_off.
start_by_token() {
    spawn token_client "${desktop[@]}" "${env_of_leg[@]}" QT_QPA_PLATFORM=wayland \
        "$wlpoke" activate "$prefix/bin/nibbly" >"$out/$leg-second.log" 2>&1
    wait_for "the token client focused" 10 grep -qx focused "$out/$leg-second.log"
    second_start=$(now)
    "$@"
    wait_for "the second start's end" 20 grep -q '^ended ' "$out/$leg-second.log"
    grep -qx 'ended 0' "$out/$leg-second.log" ||
        fail "second start: $(grep '^ended ' "$out/$leg-second.log")"
}
token_client_off() {
    stop "$token_client"
    # Its own words are not the second start's.
    ! grep -vqx -e focused -e 'ended 0' "$out/$leg-second.log" ||
        fail "second start said: $(cat "$out/$leg-second.log")"
}
# The pointer: one client for the leg, fed through a pipe; each command waits for its "ok".
# The leg's hands are wlpoke unless it sets its own.
hands=("$wlpoke" input)
pointer_on() {
    mkfifo "$work/$leg/pointer"
    # Opened both ways first: an open for one way alone waits for the other end.
    exec {pointer_fd}<>"$work/$leg/pointer"
    # The tool must not hold the writing end itself, or it never sees the end.
    spawn pointer_pid bash -c 'exec "$@" <"$0" >"$0.out" '"$pointer_fd>&-" "$work/$leg/pointer" \
        "${desktop[@]}" "${hands[@]}"
    pointer_done=0
}
pointer_answered() {
    local answered
    answered=$(grep -c ok "$work/$leg/pointer.out" 2>/dev/null || true)
    [ "${answered:-0}" -ge "$pointer_done" ]
}
point() {
    local command
    for command in "$@"; do
        echo "$command" >&"$pointer_fd"
        pointer_done=$((pointer_done + 1))
        wait_for "pointer's \"$command\"" 5 pointer_answered
    done
}
pointer_off() {
    exec {pointer_fd}>&-
    wait "$pointer_pid" || fail "the pointer tool: status $?"
}
# Keys through the leg's hands rather than wtype, as evdev codes: key NAME... pressed and
# released, hold NAME MS pressed that long; the wall time first into $wall.
declare -A evdev=([i]=23 [1]=2 [x]=45 [Left]=105 [Right]=106 [End]=107 [Shift_L]=42
    [F11]=87)
key() {
    local name
    for name in "$@"; do
        now >>"$wall"
        point "key ${evdev[$name]}"
    done
}
hold() {
    now >>"$wall"
    point "hold ${evdev[$1]} $2"
}
# drag X Y DX DY: presses at X,Y and moves in steps, letting the game start the compositor's
# move before the pointer goes.
drag() {
    local x=$1 y=$2 dx=$3 dy=$4 i
    point "move $x $y"
    sleep 0.2
    point down
    sleep 0.3
    for i in 1 2 3 4 5; do point "move $((x + dx * i / 5)) $((y + dy * i / 5))"; sleep 0.05; done
    sleep 0.2
    point up
}
# start_game: the game natively on the leg's desktop, traced, then the leg's hands: after the
# game, which would otherwise hold their pipe open and keep them from ever ending.
start_game() {
    trace=$out/$leg-trace.jsonl
    wall=$work/$leg/wall
    : >"$wall"
    game_env=("${env_of_leg[@]}" "${desktop_vars[@]}" QT_QPA_PLATFORM=wayland SDL_AUDIODRIVER=dummy)
    spawn game "${game_env[@]}" "$prefix/bin/nibbly" --trace "$trace" >"$out/$leg-nibbly.log" 2>&1
    pointer_on
}
# end_game COINS: SIGTERM to the leg's game, which ends within 0.3 s (the time into took) with
# status 0, the stored place kept and COINS coins stored, having said nothing.
end_game() {
    local asked status=0
    step "$leg: SIGTERM"
    asked=$EPOCHREALTIME
    kill -TERM "$game"
    wait "$game" || status=$?
    took=$(awk -v a="$asked" -v b="$EPOCHREALTIME" 'BEGIN { printf "%d", (b - a) * 1000 }')
    [ "$status" = 0 ] || fail "exit status $status"
    sed 's/^/    /' "$settings"
    echo "    ended ${took} ms after SIGTERM"
    [ "$took" -le 300 ] || fail "${took} ms after SIGTERM"
    [ "$(setting frmMainX),$(setting frmMainY)" = 1965,1455 ] || fail "the stored place changed"
    [ "$(setting GameCoins)" = "$1" ] || fail "GameCoins is $(setting GameCoins), not $1"
    # SDL's disk driver announces itself: those lines are SDL's, not the game's.
    ! grep -v -e '^CRITICAL: You are using the SDL disk i/o audio driver!$' \
        -e '^CRITICAL:  Writing to file \[.*\]\.$' "$out/$leg-nibbly.log" ||
        fail "the game said: $(cat "$out/$leg-nibbly.log")"
}
# keys_traced COINS: the trace holds COINS coins, the start and Left held 1500 ms (into held).
# The trace is written in blocks: read once the game has ended.
keys_traced() {
    step "$leg: the trace holds every key sent"
    held=$(grep '"ev":"input"' "$trace" | grep -E '"line":"[0-9]+ hold (L|-)' |
        sed -E 's/.*"t":([0-9]+),.*/\1/' | awk 'NR == 1 { a = $1 } NR == 2 { print $1 - a }')
    echo "    traced: $(coins_traced) coins of $1, the start" \
        "$(grep -c '"line":"[0-9]* key 1"' "$trace") of 1, Left held ${held:-no} ms of 1500"
    [ "$(coins_traced)" = "$1" ] && grep -q '"line":"[0-9]* key 1"' "$trace" ||
        fail "keys were lost"
    [ "${held:-0}" -ge 1400 ] && [ "$held" -le 1600 ] || fail "Left held ${held:-no} ms"
}
# watch_recording: a recording watched by the leg's own keys, with a jump ahead, one back (which
# starts it again in a new window) and End. The end's playfield is the simulator's at that
# moment and the trace is the simulator's, stretch by stretch; the settings stay as they were.
# Uses the leg's game_env and painted NAME (the window's place into wx wy).
watch_recording() {
    local recording=$work/$leg/watched.replay sim=$out/$leg-watched-sim.jsonl end viewer stretch
    local watched=$out/$leg-watched-trace.jsonl differing kept=$work/$leg/settings-before-watching
    step "$leg: a recording watched: a jump ahead, one back in a new window, End"
    cp "$settings" "$kept"
    traces recording "$recording" 120000 7
    QT_QPA_PLATFORM=offscreen "$prefix/bin/nibbly-sim" --screenshot "$work/$leg/sim-end.png" \
        "$recording" >"$sim" || fail "nibbly-sim refused the recording"
    end=$(tail -1 "$recording" | cut -d' ' -f1)
    spawn viewer "${game_env[@]}" "$prefix/bin/nibbly" "$recording" --trace "$watched" \
        >"$out/$leg-watched.log" 2>&1
    wait_for "the viewer's window" 20 painted watching
    sleep 1
    key Right
    sleep 1
    key Left
    sleep 1
    wait_for "the viewer's new window" 10 painted watching
    key End
    wait_for "the jump to the end (End lost?)" 10 traces reached "$watched" \
        "$((end - 1000))"
    sleep 1.5
    painted watched-end || fail "no viewer's window at the end"
    convert "$out/$leg-watched-end.png" -crop "448x496+$((wx + 10))+$((wy + 32))" +repage \
        "$work/$leg/watched-field.png"
    convert "$work/$leg/sim-end.png" -crop 448x496+10+32 +repage "$work/$leg/sim-field.png"
    differing=$(compare -metric AE "$work/$leg/watched-field.png" "$work/$leg/sim-field.png" \
        null: 2>&1 || true)
    kill -TERM "$viewer"
    wait "$viewer" || fail "watching: exit status $?"
    stretch=$(traces segments "$watched" "$sim") ||
        fail "the watched trace is not the simulator's"
    echo "    screenshot: $out/$leg-watched-end.png; the playfield at the end against the" \
        "simulator's: $differing pixels differ; stretches of its trace from $stretch ms"
    [ "$differing" = 0 ] || fail "the picture at the end is not the simulator's"
    [ "$(wc -w <<<"$stretch")" -ge 3 ] || fail "the jumps did not show: stretches from $stretch"
    cmp -s "$settings" "$kept" || fail "watching changed the settings"
    [ ! -s "$out/$leg-watched.log" ] || fail "the viewer said: $(cat "$out/$leg-watched.log")"
}
# looks_alike FIND: waits for the window, found by FIND screen (into wx wy, the picture in
# $leg-screen.png), to look as on X11; the figure into look_figure.
looks_alike() {
    local find=$1
    wait_for "the window painted" 20 "$find" screen
    alike() { "$find" screen && look screen && [ "$differing" -le 200 ]; }
    wait_for "the window as on X11 ($differing pixels differ)" 5 alike
    echo "    screenshot: $out/$leg-screen.png, window at $wx,$wy; $differing pixels differ"
    look_figure="$differing px differ"
}
# drag_title FIND: drags the title band by (+150, +100); FIND NAME reads the window's place into
# wx wy, from the compositor or from a picture named NAME. The figure into drag_figure.
drag_title() {
    local find=$1 x0=$wx y0=$wy
    step "$leg: drag the title band by (+150, +100)"
    drag $((wx + 300)) $((wy + 12)) 150 100
    moved() { "$find" dragged && [ "$wx,$wy" = "$((x0 + 150)),$((y0 + 100))" ]; }
    wait_for "the window at $((x0 + 150)),$((y0 + 100)) (it is at $wx,$wy)" 5 moved
    echo "    window at $x0,$y0, after the drag at $wx,$wy"
    drag_figure="$x0,$y0 -> $wx,$wy"
}
results=()
differing=none
# result FIGURES...: one row of the closing table.
result() { results+=("$(printf '%-14s' "$leg")$(printf ' | %-32s' "$@")"); }

# --- sway ----------------------------------------------------------------------------------
sway_window() {
    "${desktop[@]}" swaymsg -t get_tree | python3 -c '
import json, sys
def walk(node):
    if node.get("app_id") == sys.argv[1]:
        r = node["rect"]
        print(r["x"], r["y"], r["width"], r["height"], int(node["focused"]))
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        walk(child)
walk(json.load(sys.stdin))' "$1"
}
# Reads the game's window into sx sy (place) and sfocus (1 when it has the focus).
sway_game() {
    local line
    line=$(sway_window org.example.nibbly) && [ -n "$line" ] || return 1
    read -r sx sy _ _ sfocus <<<"$line"
}
focused() { sway_game && [ "$sfocus" = 1 ]; }
coins_traced() { input_stamps 'key I' | wc -l; }

start_sway() {
    local run=$work/$leg/run conf=$work/$leg/sway.conf
    printf 'xwayland disable\noutput HEADLESS-1 resolution 1280x1024 position 0 0\n%s\n%s\n' \
        'focus_on_window_activation smart' 'default_border none' >"$conf"
    # sway will not run as root; in a user namespace of its own it is not.
    spawn sway_pid env XDG_RUNTIME_DIR="$run" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 \
        WLR_RENDERER=pixman unshare --user sway -c "$conf" >"$out/$leg-sway.log" 2>&1
    wait_for "sway's socket" 10 sh -c "ls '$run'/sway-ipc.*.sock >/dev/null 2>&1 && test -S '$run/wayland-1'"
    desktop_vars=(XDG_RUNTIME_DIR="$run" WAYLAND_DISPLAY=wayland-1
        SWAYSOCK="$(ls "$run"/sway-ipc.*.sock)")
    desktop=(env "${desktop_vars[@]}")
    # A keyboard that stays: without it the seat has none between wtype's runs.
    spawn keyboard_pid "${desktop[@]}" wtype -s 600000
}

sway_leg() {
    leg=sway
    local leg_start game sent figures stood by_p lost mark title_diff sound
    leg_start=$(now)
    step "sway: start it headless, the game natively"
    player
    start_sway
    trace=$out/$leg-trace.jsonl
    wall=$work/$leg/wall
    : >"$wall"
    local game_env=("${env_of_leg[@]}" "${desktop_vars[@]}" QT_QPA_PLATFORM=wayland
        SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/$leg/sound.raw")
    spawn game "${game_env[@]}" "$prefix/bin/nibbly" --trace "$trace" >"$out/$leg-nibbly.log" 2>&1
    wait_for "the game's window focused" 20 focused
    shoot() { "${desktop[@]}" grim "$out/$leg-$1.png"; }
    painted() { shoot "$1" && find_window "$out/$leg-$1.png"; }
    local look_figure
    looks_alike painted
    [ "$wx,$wy" = "$sx,$sy" ] || fail "the picture shows the window at $wx,$wy, sway at $sx,$sy"

    step "sway: I, I, 1 and a held Left"
    press i
    press i
    press 1
    sleep 0.5
    press -P Left -s 1500 -p Left
    step "sway: P pauses for as long as it stands; M mutes, marked in the title band"
    # Stamped apart: the coins either side of the pause and the two presses of P.
    wall=$work/$leg/pause-wall
    press i
    press p
    sleep 3
    press p
    press i
    shoot before-mute
    press m
    sleep 0.5
    shoot muted
    # The title band only: the playfield moves meanwhile.
    local band
    for band in before-mute muted; do
        convert "$out/$leg-$band.png" -crop "600x22+$((sx + 40))+$sy" +repage "$work/$leg/$band.png"
    done
    title_diff=$(compare -metric AE -fuzz 2% "$work/$leg/before-mute.png" "$work/$leg/muted.png" \
        null: 2>&1 || true)
    title_diff=${title_diff%% *}
    # What the sound device heard from a second after muting on.
    lost=$(stat -c %s "$work/$leg/sound.raw")
    sleep 1.5
    sound=$(tail -c +$((lost + 1)) "$work/$leg/sound.raw" | tr -d '\0' | wc -c)
    local before
    before=$(head -c "$lost" "$work/$leg/sound.raw" | tr -d '\0' | wc -c)
    echo "    screenshot: $out/$leg-muted.png; the title band changed in $title_diff pixels;" \
        "sound before M: $before bytes not silent, after: $sound of $(($(stat -c %s "$work/$leg/sound.raw") - lost))"
    [ "$title_diff" -gt 20 ] || fail "no mark in the title band"
    [ "$before" -gt 0 ] && [ "$sound" = 0 ] || fail "muting did not silence the game"
    press m

    pointer_on
    local drag_figure
    sway_place() { sway_game && wx=$sx wy=$sy; }
    drag_title sway_place
    shoot dragged
    find_window "$out/$leg-dragged.png" && [ "$wx,$wy" = "$sx,$sy" ] ||
        fail "the picture shows the window elsewhere than sway: $wx,$wy"

    step "sway: the minimise image (sway keeps the window); a key still reaches it"
    point "move $((sx + 663)) $((sy + 13))" down up
    sleep 0.5
    focused || fail "the window went away or lost the focus at minimising"
    press i
    sleep 0.3
    shoot minimised
    find_window "$out/$leg-minimised.png" || fail "no window in the picture after minimising"

    step "sway: a second start with a token from a focused client brings the window forward"
    local second_start back
    start_by_token press x
    wait_for "the game's window focused again" 5 focused
    back=$(since "$second_start")
    token_client_off
    press i
    sleep 0.3
    shoot second-start
    echo "    focused again ${back}s after the key"
    pointer_off

    local took held
    # 3 + I, I - 1 + the coins of the pause, of minimising and of the second start.
    end_game 8
    keys_traced 6
    local keys_figure="I I 1 + 4 I, Left ${held} ms"
    # The pause: coins 3 and 4 of the trace, P and P between them.
    input_stamps 'key I' | sed -n 3,4p >"$work/$leg/pause-game"
    figures=$(awk 'FNR == NR { w[FNR] = $1; next } { g[FNR] = $1 / 1000 }
        END { printf "%.3f %.3f\n", w[3] - w[2], (w[4] - w[1]) - (g[2] - g[1]) }' \
        "$work/$leg/pause-wall" "$work/$leg/pause-game")
    read -r by_p stood <<<"$figures"
    echo "    paused by P for ${by_p}s: ${stood}s without game time"
    awk -v a="$by_p" -v b="$stood" 'BEGIN { exit !(a - b < 0.1 && b - a < 0.1) }' ||
        fail "paused time is not game time that stood still"
    # Minimising and the second start each had a coin after them: all six are there.
    local minimise_figure="stays, focused, key ok"
    local second_figure="token, focused in ${back}s, key ok"

    stop "$keyboard_pid"
    stop "$sway_pid"
    result "$look_figure" "$keys_figure" "$drag_figure" "$minimise_figure" "$second_figure" \
        "${took} ms, place kept" empty
    times+=("$leg $(since "$leg_start")s")
}

# --- weston nested in sway -----------------------------------------------------------------
# sway gives the input and the pictures; weston's output shows in its window at a fixed place.
# weston has no activation: a window minimised by its own image must come back at a second
# start all the same.
nested_origin=(128 138)
nested_size=1024x768
read -r ew eh ex ey < <(convert "$reference" -fill white -opaque '#008000' -fill black \
    +opaque white -morphology Erode Square:2 -format '%@\n' info: | tr 'x+' '  ')
# Reads the game's window into wx wy (sway's coordinates) from a picture of sway's screen.
nested_game() {
    "${desktop[@]}" grim "$out/$leg-$1.png" || return 1
    convert "$out/$leg-$1.png" -crop "$nested_size+${nested_origin[0]}+${nested_origin[1]}" \
        +repage "$work/$leg/output.png"
    # weston may place the window partly past its output's bottom or right edge. Its cursor,
    # left where the minimise image was, has thin lines of the window's green: eroded away.
    local box
    box=$(convert "$work/$leg/output.png" -fill white -opaque '#008000' -fill black \
        +opaque white -morphology Erode Square:2 -format '%@' info: 2>/dev/null)
    [[ $box =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] && [ "${BASH_REMATCH[1]}" -le "$ew" ] &&
        [ "${BASH_REMATCH[2]}" -le "$eh" ] && [ "${BASH_REMATCH[1]}" -gt $((ew / 2)) ] || return 1
    wx=$((BASH_REMATCH[3] - ex + nested_origin[0]))
    wy=$((BASH_REMATCH[4] - ey + nested_origin[1]))
}
no_nested_game() { ! nested_game "$1"; }

weston_leg() {
    leg=weston-nested
    local leg_start game figures
    leg_start=$(now)
    step "weston nested in sway: start both headless, the game natively in weston"
    player
    start_sway
    printf '[core]\nidle-time=0\n[shell]\nbackground-color=0xff202020\npanel-position=none\n%s\n' \
        'locking=false' >"$work/$leg/weston.ini"
    spawn weston_pid "${desktop[@]}" weston --config="$work/$leg/weston.ini" \
        --backend=wayland-backend.so --use-pixman --socket=nested --width=1024 --height=768 \
        >"$out/$leg-weston.log" 2>&1
    wait_for "weston's socket" 10 test -S "$work/$leg/run/nested"
    trace=$out/$leg-trace.jsonl
    wall=$work/$leg/wall
    local game_env=("${env_of_leg[@]}" WAYLAND_DISPLAY=nested QT_QPA_PLATFORM=wayland
        SDL_AUDIODRIVER=dummy)
    spawn game "${game_env[@]}" "$prefix/bin/nibbly" --trace "$trace" >"$out/$leg-nibbly.log" 2>&1
    local look_figure
    looks_alike nested_game

    step "weston nested: I, I, 1 and a held Left"
    press i
    press i
    press 1
    sleep 0.5
    press -P Left -s 1500 -p Left

    pointer_on
    local drag_figure
    drag_title nested_game

    step "weston nested: the minimise image hides the window; a second start brings it back"
    point "move $((wx + 663)) $((wy + 13))" down up
    wait_for "the window hidden" 5 no_nested_game minimised
    local second_start back
    second_start=$(now)
    timeout 20 "${game_env[@]}" "$prefix/bin/nibbly" >"$out/$leg-second.log" 2>&1 ||
        fail "second start: status $?"
    [ ! -s "$out/$leg-second.log" ] || fail "second start said: $(cat "$out/$leg-second.log")"
    wait_for "the window back" 5 nested_game back
    back=$(since "$second_start")
    press i
    sleep 0.3
    echo "    screenshot: $out/$leg-back.png; back at $wx,$wy ${back}s after the second start"
    pointer_off

    local took held
    # 3 + I, I - 1 + the coin after the window came back.
    end_game 5
    keys_traced 3

    stop "$weston_pid"
    stop "$keyboard_pid"
    stop "$sway_pid"
    result "$look_figure" "I I 1 + I, Left ${held} ms" "$drag_figure" \
        "hidden, back at a second start" "no token offered, back in ${back}s" \
        "${took} ms, place kept" "empty"
    times+=("$leg $(since "$leg_start")s")
}

# --- mutter (GNOME) ------------------------------------------------------------------------
# mutter lets no client fake input or take pictures over Wayland: both go through its remote
# desktop and screen cast services on the session bus, the pictures by PipeWire.
start_mutter() {
    local run=$work/$leg/run
    local bus=unix:path=$run/bus
    local session=(env XDG_RUNTIME_DIR="$run" DBUS_SESSION_BUS_ADDRESS="$bus")
    # Each a child of the leg's own, so that each is ended and reaped whatever ends the leg.
    spawn bus_pid "${session[@]}" dbus-daemon --session --nofork --nopidfile --address="$bus" \
        >"$out/$leg-bus.log" 2>&1
    wait_for "the session bus" 10 test -S "$run/bus"
    spawn pipewire_pid "${session[@]}" pipewire >"$out/$leg-pipewire.log" 2>&1
    wait_for "PipeWire's socket" 10 test -S "$run/pipewire-0"
    spawn wireplumber_pid "${session[@]}" wireplumber >>"$out/$leg-pipewire.log" 2>&1
    spawn mutter_pid "${session[@]}" mutter --headless --wayland --no-x11 \
        --wayland-display=wayland-1 --virtual-monitor 1280x1024 >"$out/$leg-mutter.log" 2>&1
    wait_for "mutter's socket" 10 test -S "$run/wayland-1"
    desktop_vars=(XDG_RUNTIME_DIR="$run" WAYLAND_DISPLAY=wayland-1 DBUS_SESSION_BUS_ADDRESS="$bus")
    desktop=(env "${desktop_vars[@]}")
    remote_desktop() {
        "${desktop[@]}" dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
            org.freedesktop.DBus.NameHasOwner string:org.gnome.Mutter.RemoteDesktop 2>/dev/null |
            grep -q 'boolean true'
    }
    wait_for "mutter's remote desktop" 10 remote_desktop
}
stop_mutter() {
    local pid
    for pid in "$mutter_pid" "$wireplumber_pid" "$pipewire_pid" "$bus_pid"; do stop "$pid"; done
}

mutter_leg() {
    leg=mutter
    local leg_start game hands=(/usr/bin/python3 "$PWD/tools/wlpoke/remote-desktop.py" Meta-0)
    leg_start=$(now)
    step "mutter: start it headless with PipeWire, the game natively"
    player
    start_mutter
    local game_env
    start_game
    # mutter may swallow the first key of a new virtual keyboard, and the first motion of a
    # new pointer: spare ones, where they do nothing.
    point "key ${evdev[Shift_L]}" "move 1 1"
    shoot() { point "shoot $out/$leg-$1.png"; }
    painted() { shoot "$1" && find_window "$out/$leg-$1.png"; }
    local look_figure
    looks_alike painted

    step "mutter: I, I, 1 and a held Left"
    key i
    key i
    key 1
    sleep 0.5
    hold Left 1500

    step "mutter: F11 fills the monitor with the window, fitted, on black; a click on the coin"
    local before=$wx,$wy w h bx by
    key F11
    # 1280x1024 takes the window at 1280/697 of its size.
    read -r w h < <(awk 'BEGIN { f = 1280 / 697; printf "%d %d\n", 697 * f + 0.5, 556 * f + 0.5 }')
    filled() {
        shoot fullscreen &&
            [ "$(convert "$out/$leg-fullscreen.png" -fuzz 3% -format '%@' info:)" = \
                "${w}x${h}+$(((1280 - w) / 2))+$(((1024 - h) / 2))" ]
    }
    wait_for "the window shown ${w}x${h} on black" 5 filled
    # The coin button's centre, (644.5, 200.5) in the window's own pixels.
    read -r bx by < <(awk -v w="$w" -v h="$h" 'BEGIN {
        printf "%d %d\n", (1280 - w) / 2 + 644.5 * w / 697, (1024 - h) / 2 + 200.5 * h / 556 }')
    point "move $bx $by" down up
    sleep 0.3
    key F11
    back_in_place() { painted screen && [ "$wx,$wy" = "$before" ]; }
    wait_for "the window back at $before (it is at $wx,$wy)" 5 back_in_place
    echo "    screenshot: $out/$leg-fullscreen.png, the window ${w}x${h}; the coin button" \
        "clicked at $bx,$by; F11 again: back at $wx,$wy"
    look_figure+=", F11 ${w}x${h}"

    local drag_figure
    drag_title painted

    step "mutter: the minimise image hides the window"
    point "move $((wx + 663)) $((wy + 13))" down up
    # Not a pixel of it: mutter shrinks a window away over a moment.
    hidden() {
        shoot minimised && [ "$(convert "$out/$leg-minimised.png" -fill white -opaque '#008000' \
            -fill black +opaque white -format '%[fx:round(mean * w * h)]' info:)" = 0 ]
    }
    wait_for "the window hidden" 5 hidden

    step "mutter: a second start with a token from a focused client brings the window back"
    local second_start back
    start_by_token key x
    wait_for "the window back" 5 painted back
    back=$(since "$second_start")
    token_client_off
    key i
    sleep 0.3
    echo "    screenshot: $out/$leg-back.png; back at $wx,$wy ${back}s after the key"

    local took held
    # 3 + I, I - 1 + the click full screen + the coin after the window came back.
    end_game 6
    [ "$(setting Fullscreen)" = 0 ] || fail "Fullscreen is stored as $(setting Fullscreen)"

    watch_recording
    pointer_off

    keys_traced 3
    grep -q '"line":"[0-9]* click XPButton1"' "$trace" || fail "the click full screen was lost"

    stop_mutter
    result "$look_figure" "I I 1 + I, Left ${held} ms, viewer" "$drag_figure" \
        "hidden, back at a second start" "token, back in ${back}s, key ok" \
        "${took} ms, place kept" "empty"
    times+=("$leg $(since "$leg_start")s")
}

# --- KWin ----------------------------------------------------------------------------------
# KWin headless on a session bus of the leg's own: fake input gives the keys and the pointer,
# all through one wlpoke (KWin grants it per client); its screenshot interface the pictures,
# and a script run inside it where the window is and whether it has the focus.
kwinsee() {
    env DBUS_SESSION_BUS_ADDRESS="$kwin_bus" /usr/bin/python3 tools/kwinsee/kwinsee.py "$@" \
        2>>"$out/$leg-kwinsee.log"
}
# Reads the window of app id $1 into kx ky (place), kactive and kminimised (1 or 0).
kwin_window() {
    local line
    line=$(kwinsee window "$1") || return 1
    read -r kx ky _ _ kactive kminimised <<<"$line"
}
kwin_focused() { kwin_window org.example.nibbly && [ "$kactive" = 1 ] && [ "$kminimised" = 0 ]; }
start_kwin() {
    local run=$work/$leg/run
    kwin_bus=unix:path=$run/bus
    spawn bus_pid dbus-daemon --session --nofork --nopidfile --address="$kwin_bus" \
        >"$out/$leg-bus.log" 2>&1
    wait_for "the session bus" 5 test -S "$run/bus"
    # As root the file capability of KWin's binary is refused, and it will not start; a copy
    # has none.
    cp /usr/bin/kwin_wayland "$work/$leg/kwin_wayland"
    spawn kwin_pid env XDG_RUNTIME_DIR="$run" DBUS_SESSION_BUS_ADDRESS="$kwin_bus" \
        KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 \
        "$work/$leg/kwin_wayland" --virtual --width 1280 --height 1024 --socket kwin \
        --no-lockscreen --no-global-shortcuts --no-kactivities >"$out/$leg-kwin.log" 2>&1
    wait_for "KWin's socket" 10 test -S "$run/kwin"
    desktop_vars=(XDG_RUNTIME_DIR="$run" WAYLAND_DISPLAY=kwin)
    desktop=(env "${desktop_vars[@]}")
}

kwin_leg() {
    leg=kwin
    local leg_start game
    leg_start=$(now)
    step "KWin: start it headless, the game natively"
    player
    start_kwin
    local game_env
    start_game
    wait_for "the game's window focused" 20 kwin_focused
    shoot() { kwinsee shot "$out/$leg-$1.png"; }
    painted() { shoot "$1" && find_window "$out/$leg-$1.png"; }
    local look_figure
    looks_alike painted
    [ "$wx,$wy" = "$kx,$ky" ] || fail "the picture shows the window at $wx,$wy, KWin at $kx,$ky"

    step "KWin: I, I, 1 and a held Left"
    key i i 1
    sleep 0.5
    hold Left 1500

    local drag_figure
    kwin_place() { kwin_window org.example.nibbly && wx=$kx wy=$ky; }
    drag_title kwin_place
    shoot dragged
    find_window "$out/$leg-dragged.png" && [ "$wx,$wy" = "$kx,$ky" ] ||
        fail "the picture shows the window elsewhere than KWin: $wx,$wy"

    step "KWin: the minimise image hides the window"
    point "move $((kx + 663)) $((ky + 13))" down up
    hidden() { kwin_window org.example.nibbly && [ "$kminimised" = 1 ] && shoot minimised &&
        ! find_window "$out/$leg-minimised.png"; }
    wait_for "the window hidden" 5 hidden

    step "KWin: a second start with a token from a focused client brings the window back"
    local second_start back
    start_by_token key x
    # The second start ends once it has handed its token over; KWin gives the window the
    # keyboard only when the first copy has used it. A key sent before goes to no window, or
    # comes as a release alone: about half were lost so, none once KWin said the window
    # had the focus.
    wait_for "the game's window focused again" 5 kwin_focused
    back=$(since "$second_start")
    token_client_off
    key i
    sleep 0.3
    shoot back
    find_window "$out/$leg-back.png" || fail "no window in the picture after the second start"
    echo "    screenshot: $out/$leg-back.png; back at $wx,$wy and focused ${back}s after the key"

    local took held
    # 3 + I, I - 1 + the coin after the window came back.
    end_game 5

    watch_recording
    pointer_off

    keys_traced 3

    stop "$kwin_pid"
    stop "$bus_pid"
    result "$look_figure" "I I 1 + I, Left ${held} ms, viewer" "$drag_figure" \
        "hidden, back at a second start" "token, focused in ${back}s, key ok" \
        "${took} ms, place kept" "empty"
    times+=("$leg $(since "$leg_start")s")
}


times=()
legs=("${@:3}")
[ ${#legs[@]} -gt 0 ] || legs=(mutter_leg kwin_leg sway_leg weston_leg)
for run_leg in "${legs[@]}"; do "$run_leg"; done

step "passed"
# The row of the run on headless weston, where the whole run gives one.
if [ -s "$out/weston-headless.figures" ]; then
    mapfile -t figures <"$out/weston-headless.figures"
    leg=weston
    result "${figures[@]}"
fi
printf '%-14s' compositor
printf ' | %-32s' look keys drag "minimise and back" "second start" SIGTERM stderr
echo
printf '%s\n' "${results[@]}"
echo "leg times: ${times[*]}"
