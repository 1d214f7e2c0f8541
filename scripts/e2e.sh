#!/usr/bin/env bash
# End to end on a real X desktop (Xvfb with openbox), with real key presses and clicks
# through xdotool: builds the release, installs it into a temporary prefix and moves the
# prefix (an installed tree must not care where it lives), validates the installed
# desktop entry and metainfo and checks the recordings' file type, then plays a short game
# on the installed program, records and replays one, holds keys with both cores busy and
# times the program's end by every route of leaving it; holds game time to the wall clock
# (and a stall), pauses and mutes; records each game on its own and watches one with jumps.
# Then the installed game on scaled X screens, full screen (F11) on X screens of three sizes,
# and under a Wayland compositor (weston, headless), full screen there too.
# Screenshots and the game's output are kept in build/e2e.
set -Eeuo pipefail
# Any step that stops the run says where, even one without a check of its own.
trap 'echo "e2e: FAIL: line $LINENO: $BASH_COMMAND exited $?" >&2' ERR
cd "$(dirname "$0")/.."
bash scripts/deps.sh --tests

id=org.example.nibbly
title="Nibbly 1.0.3"
unset DISPLAY
out=$PWD/build/e2e
rm -rf "$out"
mkdir -p "$out"
work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.2f", b - a }'; }
start=$(now)
step() { printf '[e2e %6ss] %s\n' "$(since "$start")" "$*"; }
shot() {
    import -window root "$out/$1.png"
    echo "    screenshot: $out/$1.png"
}
fail() {
    echo "e2e: FAIL: $*" >&2
    [ -z "${DISPLAY:-}" ] || shot failure >&2 || true
    exit 1
}
traces() { python3 scripts/e2e-traces.py "$@"; }
# wait_for WHAT SECONDS COMMAND...: polls COMMAND until it succeeds.
wait_for() {
    local what=$1 limit=$2
    local deadline=$((SECONDS + limit))
    shift 2
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || fail "no $what within ${limit}s"
        sleep 0.1
    done
}

step "build the release"
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j"$(nproc)" >/dev/null

step "install into a temporary prefix, then move the prefix"
cmake --install build/release --prefix "$work/staged" >/dev/null
mv "$work/staged" "$work/moved"
prefix=$work/moved
(cd "$prefix" && find . -type f | sort) >"$out/installed-files.txt"
sed 's/^/    /' "$out/installed-files.txt"

# A player of our own: fresh settings holding 3 coins and no high score yet.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_RUNTIME_DIR=$work/run
export XDG_DATA_HOME=$work/home/.local/share XDG_CACHE_HOME=$work/home/.cache
export QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy
mkdir -p "$XDG_CONFIG_HOME/Nibbly" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
settings=$XDG_CONFIG_HOME/Nibbly/Nibbly.ini
printf '[SetLog]\nGameCoins=3\nGameHiScore=0\n' >"$settings"

step "the simulator finds the moved data"
trace=$(printf '0 key I\n100 key 1\n6000 end\n' | QT_QPA_PLATFORM=offscreen "$prefix/bin/nibbly-sim" -)
grep -q '"ev":"tick"' <<<"$trace" || fail "nibbly-sim played no tick"
! grep -q '"ev":"msgbox"' <<<"$trace" || fail "nibbly-sim: $(grep '"ev":"msgbox"' <<<"$trace")"

step "validate the desktop entry and the metainfo; broken copies must fail"
desktop=$prefix/share/applications/$id.desktop
metainfo=$prefix/share/metainfo/$id.metainfo.xml
validate() {
    local output status=0
    output=$("$@" 2>&1) || status=$?
    printf '    %s\n' "${output:-(no complaints)}" | sed '2,$s/^/    /'
    return "$status"
}
echo "  desktop-file-validate $desktop"
validate desktop-file-validate "$desktop" || fail "desktop-file-validate"
echo "  appstreamcli validate --no-net $metainfo"
validate appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
mkdir "$work/broken"
grep -v '^Name=' "$desktop" >"$work/broken/$id.desktop"
echo "  the entry without its Name:"
if validate desktop-file-validate "$work/broken/$id.desktop"; then fail "it passed"; fi
grep -v '<id>' "$metainfo" >"$work/broken/$id.metainfo.xml"
echo "  the metainfo without its id:"
if validate appstreamcli validate --no-net "$work/broken/$id.metainfo.xml"; then fail "it passed"; fi

# The desktop's view of a recording from the installed file type and desktop entry alone, on
# copies indexed as the system's package triggers index them.
recording_type() {
    step "a recording is the installed file type, by its name in any case or its first line; the game opens it"
    local share=$work/desktop-share files=$work/typed name expected typed
    mkdir -p "$share" "$files"
    cp -r "$prefix/share/mime" "$prefix/share/applications" "$share"
    xmllint --noout "$share/mime/packages/$id.xml" || fail "the file type is not well-formed"
    local indexed
    indexed=$(XDG_DATA_DIRS=$share update-mime-database "$share/mime" 2>&1)
    [ -z "$indexed" ] || fail "update-mime-database: $indexed"
    update-desktop-database "$share/applications"
    printf '# nibbly 1.0.3 recording\n# seed 1\n0 key I\n' >"$files/game.replay"
    cp "$files/game.replay" "$files/game"
    printf 'a note\n' >"$files/note"
    cp "$files/note" "$files/Note.REPLAY"
    # type_of DATA_DIRS FILE: the content type the desktop gives FILE.
    type_of() {
        XDG_DATA_DIRS=$1 gio info -a standard::content-type "$2" |
            sed -n 's/^ *standard::content-type: //p'
    }
    for name in game.replay Note.REPLAY game note; do
        expected=application/x-nibbly-replay
        [ "$name" != note ] || expected=text/plain
        typed=$(type_of "$share:/usr/share" "$files/$name")
        echo "    $name: $typed"
        [ "$typed" = "$expected" ] || fail "$name is $typed, not $expected"
    done
    [ "$(type_of /usr/share "$files/game.replay")" != application/x-nibbly-replay ] ||
        fail "game.replay has the type without the game's file type installed"
    # The desktop's choice: an entry whose program is not on the path is left out.
    local opener
    opener=$(PATH=$prefix/bin:$PATH XDG_DATA_DIRS=$share:/usr/share \
        gio mime application/x-nibbly-replay)
    opener=${opener%%$'\n'*}
    echo "    $opener"
    [[ "$opener" == *"$id.desktop"* ]] || fail "recordings do not open in the game"
}
recording_type

step "start Xvfb and openbox"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$out/xvfb.log" &
pids+=($!)
wait_for "X display" 10 test -s "$work/display"
DISPLAY=:$(cat "$work/display")
export DISPLAY
openbox --sm-disable >"$out/openbox.log" 2>&1 &
pids+=($!)
wait_for "window manager" 10 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"'

find_window() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1; }
has_window() { [ -n "$(find_window "$1")" ]; }
no_window() { [ -z "$(find_window "$1")" ]; }
# The window's client origin on the screen, framed by the window manager or not.
client_origin() {
    local info
    info=$(xwininfo -id "$wid")
    cx=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
    cy=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
}
# The playfield (448 x 496 at 10,32 in the window) in screen coordinates.
playfield() { echo "448x496+$((cx + 10))+$((cy + 32))"; }
# Share of the playfield showing the maze's dark floor: high in play, nil when idle.
maze_share() {
    import -window root -crop "$(playfield)" +repage png:- |
        convert png:- -fuzz 6% -fill white -opaque '#0F0C24' -fill black +opaque white \
            -format '%[fx:mean]' info:
}
# Left edge of the player's green in the band of the start row, or "none".
player_x() {
    local box
    box=$(import -window root -crop "448x48+$((cx + 10))+$((cy + 32 + 352))" +repage png:- |
        convert png:- -fx 'g>0.55 && b<0.6*g && r<0.9*g ? 1 : 0' -format '%@' info:)
    if [[ $box =~ ^([0-9]+)x[0-9]+\+([0-9]+)\+ ]] && [ "${BASH_REMATCH[1]}" -gt 0 ] &&
        [ "${BASH_REMATCH[1]}" -lt 40 ]; then
        echo "${BASH_REMATCH[2]}"
    else
        echo none
    fi
}
player_left_of() { local x; x=$(player_x); [ "$x" != none ] && [ "$x" -lt "$1" ]; }
player_right_of() { local x; x=$(player_x); [ "$x" != none ] && [ "$x" -gt "$1" ]; }
below() { awk -v v="$($1)" -v limit="$2" 'BEGIN { exit !(v < limit) }'; }
above() { awk -v v="$($1)" -v limit="$2" 'BEGIN { exit !(v > limit) }'; }
# Answers the open message box titled "Nibbly" with Yes: Y is its mnemonic in English
# and in Chinese ("是(&Y)"), whichever button is the default.
answer_yes() {
    xdotool windowactivate --sync "$(find_window Nibbly)" key y
    wait_for "closed message box" 5 no_window Nibbly
}

step "start the installed game"
"$prefix/bin/nibbly" >"$out/nibbly.log" 2>&1 &
game=$!
pids+=("$game")
wait_for "window \"$title\"" 20 has_window "$title"
wid=$(find_window "$title")
xprop -id "$wid" _NET_WM_NAME | grep -qF "\"$title\"" || fail "title"
wmclass=$(xprop -id "$wid" WM_CLASS | sed 's/.*, "\(.*\)"/\1/')
grep -qx "StartupWMClass=$wmclass" "$desktop" || fail "WM_CLASS $wmclass is not the entry's"
icons=$(xprop -id "$wid" _NET_WM_ICON | grep -o 'Icon ([0-9]* x [0-9]*)' | tr '\n' ' ')
[ -n "$icons" ] || fail "the window has no icon"
echo "    title \"$title\", class $wmclass, icons: $icons"
xdotool windowactivate --sync "$wid"
client_origin
wait_for "idle screen" 10 below maze_share 0.05
shot idle

step "insert two coins, start a one-player game, steer left"
xdotool key i
xdotool key i
xdotool key 1
xdotool keydown Left
wait_for "player moving left" 20 player_left_of 190
xdotool keyup Left
left=$(player_x)
above maze_share 0.3 || fail "no maze on the playfield"
shot playing-left

step "steer right"
xdotool keydown Right
wait_for "player moving right" 10 player_right_of $((left + 24))
xdotool keyup Right
shot playing-right
echo "    player's left edge: start 211, after Left $left, after Right $(player_x)"

step "abandon with Esc, answered Yes"
xdotool key Escape
wait_for "abandon question" 5 has_window Nibbly
shot abandon-question
answer_yes
wait_for "idle screen after abandoning" 10 below maze_share 0.05
shot abandoned

step "minimise; a second start brings the first window back and leaves"
xdotool windowminimize --sync "$wid"
second_start=$(now)
timeout 20 "$prefix/bin/nibbly" >"$out/second.log" 2>&1 || fail "second start: status $?"
[ ! -s "$out/second.log" ] || fail "second start said: $(cat "$out/second.log")"
active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$wid" ]; }
wait_for "first window active again" 10 active
xwininfo -id "$wid" | grep -q 'IsViewable' || fail "first window not shown"
echo "    second start left and the first came back in $(since "$second_start")s"

step "move the window, leave by the exit button answered Yes"
xdotool windowmove --sync "$wid" 131 97
client_origin
# A window manager that sets no extents leaves nothing to read: no frame.
read -r left_extent _ top_extent _ < <(xprop -id "$wid" _NET_FRAME_EXTENTS |
    sed -n 's/.* = \([0-9]*\), \([0-9]*\), \([0-9]*\), \([0-9]*\)/\1 \2 \3 \4/p') || true
frame_x=$((cx - ${left_extent:-0}))
frame_y=$((cy - ${top_extent:-0}))
xdotool mousemove --sync $((cx + 608 + 40)) $((cy + 432 + 16))
xdotool click 1
wait_for "exit question" 5 has_window Nibbly
shot exit-question
answer_yes
gone() { ! kill -0 "$game" 2>/dev/null; }
wait_for "game's end" 10 gone
status=0
wait "$game" || status=$?
[ "$status" = 0 ] || fail "exit status $status"

step "the settings hold the window's place, the coins and the high score"
setting() { sed -n "s/^$1=//p" "$settings"; }
sed 's/^/    /' "$settings"
[ "$(setting frmMainX)" = $((frame_x * 15)) ] || fail "frmMainX is not $((frame_x * 15))"
[ "$(setting frmMainY)" = $((frame_y * 15)) ] || fail "frmMainY is not $((frame_y * 15))"
[ "$(setting GameCoins)" = 4 ] || fail "GameCoins is not 3 + 2 - 1"
[ "$(setting GameHiScore)" -gt 0 ] || fail "no high score from the game played"
# The lock file may stay; the lock on it must have gone with the game.
flock -n "$XDG_CONFIG_HOME/Nibbly/Nibbly.lock" true || fail "the lock is still held"

# --- Held keys under load, and how soon the program ends -------------------------------
# Each run below starts the game afresh with its own coins and leaves by another route.
# Help pages open through xdg-open: ours only counts them.
mkdir -p "$work/bin"
printf '#!/bin/sh\necho "$*" >>"%s"\n' "$work/opened" >"$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"
opens() { [ -e "$work/opened" ] && wc -l <"$work/opened" || echo 0; }
# Waits for the game's window, brings it to the front and reads where it is.
window_up() {
    wait_for "window \"$title\"" 20 has_window "$title"
    wid=$(find_window "$title")
    xdotool windowactivate --sync "$wid"
    client_origin
}
start_game() {
    printf '[SetLog]\nGameCoins=%s\nGameHiScore=0\n' "$1" >"$settings"
    PATH="$work/bin:$PATH" "$prefix/bin/nibbly" >>"$out/nibbly-routes.log" 2>&1 &
    game=$!
    pids+=("$game")
    window_up
}
busy=()
load_on() {
    yes >/dev/null &
    busy+=($!)
    yes >/dev/null &
    busy+=($!)
    pids+=("${busy[@]}")
}
load_off() {
    kill "${busy[@]}"
    busy=()
}
# watch FILE MASK...: xev's report of the game window's events, each line stamped with the
# time it came; returns once xev is seen watching (a property set on the window shows).
watch() {
    local file=$1
    shift
    local masks=()
    for mask in "$@" property; do masks+=(-event "$mask"); done
    xev -id "$wid" "${masks[@]}" > >(
        while read -r line; do echo "$EPOCHREALTIME $line"; done >"$file") &
    pids+=($!)
    until grep -q PropertyNotify "$file" 2>/dev/null; do
        xprop -id "$wid" -f _NIBBLY_E2E 8s -set _NIBBLY_E2E watched
        sleep 0.1
    done
}
# end_by ROUTE COMMAND...: runs COMMAND, which closes the window, and prints how long the
# window stayed (the settings are stored meanwhile) and how long the process lived after
# the window went (its unmapping, as X reports it).
end_by() {
    local route=$1 events=$work/events-$RANDOM
    shift
    watch "$events" structure
    local asked ended closed
    asked=$EPOCHREALTIME
    "$@"
    wait "$game" || fail "$route: exit status $?"
    ended=$EPOCHREALTIME
    closed=$(awk '/UnmapNotify|DestroyNotify/ { print $1; exit }' "$events")
    [ -n "$closed" ] || fail "$route: the window's closing was not seen"
    local stayed lived
    stayed=$(awk -v a="$asked" -v b="$closed" 'BEGIN { printf "%d", (b - a) * 1000 }')
    lived=$(awk -v a="$closed" -v b="$ended" 'BEGIN { printf "%d", (b - a) * 1000 }')
    echo "    $route: the window closed ${stayed} ms after the request, the process ended" \
        "${lived} ms after the window"
    [ "$lived" -le 300 ] || fail "$route: ${lived} ms is more than 300"
    [ "$(setting frmMainX)" != "" ] || fail "$route: the settings were not stored"
}

step "with both cores busy: a held Space clicks a focused button once, a held F1 opens help once"
start_game 0
load_on
xdotool mousemove --sync $((cx + 600 + 44)) $((cy + 184 + 16)) click 1  # focus: the first coin
xdotool keydown space sleep 2 keyup space
xdotool keydown F1 sleep 2 keyup F1
sleep 0.5
load_off
xdotool mousemove --sync $((cx + 697 - 12)) $((cy + 12)) click 1
wait_for "close question" 5 has_window Nibbly
xdotool windowactivate --sync "$(find_window Nibbly)"
end_by "close box" xdotool key y
echo "    coins: $(setting GameCoins) of 2 (one click, one 2 s hold of Space); help opened $(opens) of 1"
[ "$(setting GameCoins)" = 2 ] || fail "a held Space inserted $(($(setting GameCoins) - 1)) coins"
[ "$(opens)" = 1 ] || fail "a held F1 opened the help $(opens) times"

step "with both cores busy: a held I inserts a coin at every key-down of the X server's repeat"
read -r delay rate < <(xset q | sed -n 's/.*auto repeat delay: *\([0-9]*\) *repeat rate: *\([0-9]*\).*/\1 \2/p') ||
    fail "xset reports no key repeat"
start_game 0
# Another client listening to the same window hears every key-down the server sends.
watch "$work/keys" keyboard
load_on
xdotool keydown i sleep 2 keyup i
sleep 0.5
load_off
end_by "SIGTERM" kill -TERM "$game"
expected=$(awk -v d="$delay" -v r="$rate" 'BEGIN { print 2000 < d ? 1 : 2 + int((2000 - d) * r / 1000) }')
sent=$(grep -c 'KeyPress event' "$work/keys" || true)
seen=$(setting GameCoins)
echo "    repeat delay ${delay} ms, rate ${rate}/s: key-downs expected $expected," \
    "sent by the server $sent, coins seen $seen"
# A starved server repeats late and so less often; the game must follow what it sent.
[ $((seen - sent)) -le 1 ] && [ $((sent - seen)) -le 1 ] || fail "$seen coins for $sent key-downs"
[ $((expected - sent)) -le 1 ] || echo "    (the busy server sent $((expected - sent)) fewer)"

step "the exit button and the window manager's close end the program as promptly"
start_game 5
xdotool mousemove --sync $((cx + 608 + 40)) $((cy + 432 + 16)) click 1
wait_for "exit question" 5 has_window Nibbly
xdotool windowactivate --sync "$(find_window Nibbly)"
end_by "exit button" xdotool key y
start_game 5
end_by "window-system close" xdotool key alt+F4
[ "$(setting GameCoins)" = 5 ] || fail "GameCoins is not 5"

# A recorded game replays exactly: the window's own trace of a game played here, with
# coins, starts, clicks, both answers to a question, a death and two speeds, must equal line
# for line the trace nibbly-sim writes from that game's recording.
record_and_replay() {
    local recording=$out/recorded.replay trace=$out/recorded-trace.jsonl
    step "record a game with its trace"
    "$prefix/bin/nibbly" --record "$recording" --trace "$trace" >"$out/recorded.log" 2>&1 &
    game=$!
    pids+=("$game")
    window_up
    # Centres of the controls, in the window.
    click_at() {
        xdotool mousemove --sync $((cx + $1)) $((cy + $2)) click 1
        sleep 0.2
    }
    click_at 644 296 # faster
    click_at 644 200 # a coin
    xdotool key i
    click_at 620 348 # two players, then one again
    click_at 528 348
    click_at 576 388 # start
    xdotool windowactivate --sync "$wid"
    killed() { grep -q '"name":"killed"' "$trace"; }
    local arrows=(Left Up Right Down) turn=0
    until killed; do
        [ "$turn" -lt 300 ] || fail "no death in the recorded game"
        xdotool keydown "${arrows[turn % 4]}"
        sleep 0.15
        xdotool keyup "${arrows[turn % 4]}"
        turn=$((turn + 1))
    done
    echo "    died after $turn turns"
    xdotool key Escape
    wait_for "abandon question" 5 has_window Nibbly
    xdotool windowactivate --sync "$(find_window Nibbly)" key n
    wait_for "closed message box" 5 no_window Nibbly
    sleep 0.5
    xdotool windowactivate --sync "$wid"
    click_at 524 448 # abandon
    wait_for "abandon question" 5 has_window Nibbly
    answer_yes
    xdotool windowactivate --sync "$wid"
    xdotool key s
    xdotool key 1
    sleep 5
    xdotool keydown Right
    sleep 1
    xdotool keyup Right
    xdotool key Escape
    wait_for "abandon question" 5 has_window Nibbly
    answer_yes
    xdotool windowactivate --sync "$wid"
    click_at 648 448 # exit
    wait_for "exit question" 5 has_window Nibbly
    answer_yes
    wait_for "game's end" 10 gone
    wait "$game" || fail "recorded game: exit status $?"
    [ ! -s "$out/recorded.log" ] || sed 's/^/    nibbly: /' "$out/recorded.log"

    step "nibbly-sim replays the recording to the same trace"
    QT_QPA_PLATFORM=offscreen "$prefix/bin/nibbly-sim" "$recording" >"$out/replayed-trace.jsonl" ||
        fail "nibbly-sim refused the recording"
    echo "    recording: $(grep -vc '^#' "$recording") inputs, $(wc -c <"$recording") bytes;" \
        "trace: $(wc -l <"$trace") lines, $(grep -c '"ev":"tick"' "$trace") ticks"
    cmp "$trace" "$out/replayed-trace.jsonl" ||
        fail "traces differ: $(diff "$trace" "$out/replayed-trace.jsonl" | head -4 | cut -c1-300)"

    step "watching the recording in the window traces the same and keeps the settings"
    cp "$settings" "$work/settings-before"
    "$prefix/bin/nibbly" --replay "$recording" --trace "$out/watched-trace.jsonl" \
        >"$out/watched.log" 2>&1 || fail "watching: exit status $?"
    cmp "$trace" "$out/watched-trace.jsonl" ||
        fail "traces differ: $(diff "$trace" "$out/watched-trace.jsonl" | head -4 | cut -c1-300)"
    cmp "$settings" "$work/settings-before" || fail "watching changed the settings"

    step "the skinned close box ends the watching of a recording opened by its name alone"
    "$prefix/bin/nibbly" "$recording" >"$out/watched-closed.log" 2>&1 &
    game=$!
    pids+=("$game")
    window_up
    xdotool mousemove --sync $((cx + 697 - 12)) $((cy + 12)) click 1
    wait_for "the watching's end" 5 gone
    wait "$game" || fail "watching ended by the close box: exit status $?"
    cmp "$settings" "$work/settings-before" || fail "watching changed the settings"
}
record_and_replay

# Game time is real time: real key presses, stamped on the wall clock as they are sent, against
# the stamps the game's trace gives them, in the idle screen, the ready phase and play; then a
# 3 s stall (SIGSTOP), of which the game may make up at most 200 ms.
# traced_game NAME: a fresh player's game, traced into $trace; press sends what xdotool is
# given, first writing the wall time into $wall.
traced_game() {
    trace=$out/$1-trace.jsonl
    wall=$work/$1-wall
    : >"$wall"
    printf '[SetLog]\nGameCoins=3\nGameHiScore=0\n' >"$settings"
    "$prefix/bin/nibbly" --trace "$trace" >"$out/$1.log" 2>&1 &
    game=$!
    pids+=("$game")
    window_up
}
press() {
    now >>"$wall"
    xdotool "$@"
}
# The game time of each input of the trace whose line matches the pattern, in order.
input_stamps() {
    grep '"ev":"input"' "$trace" | grep -E "\"line\":\"[0-9]+ $1" | sed -E 's/.*"t":([0-9]+),.*/\1/'
}
real_time() {
    local figures
    step "game time keeps the wall clock: idle, ready, play, and a 3 s stall"
    traced_game clock
    wait_for "idle screen" 10 below maze_share 0.05
    # Coins only: the player stays put, and play is over before the first ghost could reach it.
    press key i
    sleep 2
    press key i
    sleep 0.5
    press key 1
    sleep 0.5
    press key i
    sleep 2
    press key i
    sleep 2.1
    press key i
    sleep 1.5
    press key i
    kill -STOP "$game"
    sleep 3
    kill -CONT "$game"
    sleep 0.3
    press key i
    sleep 0.3
    kill -TERM "$game"
    wait "$game" || fail "clock run: exit status $?"
    input_stamps '(key|hold) ' >"$work/clock-game"
    [ "$(wc -l <"$work/clock-game")" = "$(wc -l <"$wall")" ] ||
        fail "the trace has $(wc -l <"$work/clock-game") of the $(wc -l <"$wall") keys sent"
    ready_end=$(sed -n 's/.*"ev":"ready","t":\([0-9]*\),"ReadyCount":0,.*/\1/p' "$trace" | head -1)
    # Keys 1-2 idle, 4-5 ready, 6-7 play; 7-8 span the stall. xdotool's own delay is the same
    # for every key, so it drops out of each span.
    figures=$(paste "$wall" "$work/clock-game" | awk -v end="${ready_end:-0}" '
        { w[NR] = $1; g[NR] = $2 / 1000 }
        function ratio(a, b) { return (g[b] - g[a]) / (w[b] - w[a]) }
        END {
            phases = g[5] < end / 1000 && end / 1000 < g[6]
            printf "%.4f %.4f %.4f %.3f %d\n", ratio(1, 2), ratio(4, 5), ratio(6, 7),
                (w[8] - w[7]) - (g[8] - g[7]), phases
        }')
    read -r idle ready play stall phases <<<"$figures"
    [ "$phases" = 1 ] || fail "the arrows were not in the ready phase and in play"
    echo "    game time / wall time: idle $idle, ready $ready, play $play;" \
        "the 3 s stall cost ${stall}s of game time"
    for r in "$idle" "$ready" "$play"; do
        awk -v r="$r" 'BEGIN { exit !(r >= 0.98 && r <= 1.02) }' ||
            fail "game time ran at $r of the wall clock"
    done
    # 3 s less the 200 ms made up, give or take the 20 ms a key takes to be sent.
    awk -v s="$stall" 'BEGIN { exit !(s >= 2.78 && s <= 3.02) }' ||
        fail "the 3 s stall cost ${stall}s"
}
real_time

# P stands a game still for as long as it is paused; another window taking the focus pauses it
# too, the focus coming back does not resume it, P does.
pause_run() {
    local other figures
    step "P pauses a game, and so does another window taking the focus"
    traced_game pause
    xdotool key 1
    sleep 4.7
    # Stamped: the coins (the trace stamps them too) and where each pause begins and ends.
    press key i
    press key p
    sleep 0.5
    shot paused
    sleep 2.5
    press key p
    press key i
    # The window manager may give the new window the focus as soon as it maps.
    now >>"$wall"
    xev -geometry 200x100+900+700 >/dev/null 2>&1 &
    other=$!
    pids+=("$other")
    wait_for "another window" 10 has_window Event\ Tester
    xdotool windowactivate --sync "$(find_window Event\ Tester)"
    sleep 1.5
    xdotool windowactivate --sync "$wid"
    sleep 1.5
    press key p
    press key i
    kill "$other"
    kill -TERM "$game"
    wait "$game" || fail "pause run: exit status $?"
    input_stamps 'key I' >"$work/pause-game"
    grep -q '"line":"[0-9]* blur"' "$trace" || fail "the other window took no focus from the game"
    # Wall: coin, P, P, coin, the other window started, P, coin. Game: the three coins. The
    # focus leaves once the other window is up: its start is the slack of the second figure.
    figures=$(awk 'FNR == NR { w[FNR] = $1; next } { g[FNR] = $1 / 1000 }
        END {
            printf "%.3f %.3f %.3f %.3f\n", w[3] - w[2], (w[4] - w[1]) - (g[2] - g[1]),
                w[6] - w[5], (w[7] - w[4]) - (g[3] - g[2])
        }' "$wall" "$work/pause-game")
    read -r by_p stood_p by_focus stood_focus <<<"$figures"
    echo "    paused by P for ${by_p}s: ${stood_p}s without game time;" \
        "by the focus leaving, until P, for ${by_focus}s: ${stood_focus}s"
    awk -v a="$by_p" -v b="$stood_p" -v c="$by_focus" -v d="$stood_focus" \
        'function near(x, y, slack) { return x - y < slack && y - x < slack }
         BEGIN { exit !(near(a, b, 0.1) && near(c, d, 0.3)) }' ||
        fail "paused time is not game time that stood still"
}
pause_run

# Muting is presentation: the same recording watched muted and with sound traces the same, and
# only the muted run's sound device (SDL's disk driver, a file) hears silence throughout.
mute_run() {
    local muted sound script=$work/coins.replay
    step "M's choice: a muted game traces as one with sound, and sounds as silence"
    printf '1500 key I\n2000 key I\n2500 key I\n3000 end\n' >"$script"
    for muted in 1 0; do
        printf '[SetLog]\nGameCoins=3\nGameHiScore=0\n[Choices]\nMuted=%s\n' "$muted" >"$settings"
        SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/sound-$muted.raw" \
            "$prefix/bin/nibbly" --replay "$script" --trace "$out/mute-$muted-trace.jsonl" \
            >"$out/mute-$muted.log" 2>&1 &
        game=$!
        pids+=("$game")
        # The end of a recording stays on the screen until the watcher leaves.
        wait_for "the recording's end" 10 traces reached "$out/mute-$muted-trace.jsonl" 2500
        sleep 0.7
        kill -TERM "$game"
        wait "$game" || fail "watching with Muted=$muted: status $?"
        sound=$(tr -d '\0' <"$work/sound-$muted.raw" | wc -c)
        echo "    Muted=$muted: $(wc -c <"$work/sound-$muted.raw") bytes of sound, $sound not silent"
        if [ "$muted" = 1 ]; then
            [ "$sound" = 0 ] || fail "the muted game was heard"
        else
            [ "$sound" -gt 0 ] || fail "the game with sound was silent"
        fi
    done
    cmp "$out/mute-1-trace.jsonl" "$out/mute-0-trace.jsonl" ||
        fail "muting changed the trace: $(diff "$out/mute-1-trace.jsonl" "$out/mute-0-trace.jsonl" |
            head -4 | cut -c1-300)"
    grep -q '"ev":"sound"' "$out/mute-1-trace.jsonl" || fail "the muted trace has no sound"
}
mute_run

# Every game of a run is a recording of its own, which replays alone as it went in the run.
game_recordings() {
    local replays=$XDG_DATA_HOME/Nibbly/replays files
    step "every game is a recording of its own: two games, with a coin, E and S between"
    rm -rf "$replays"
    traced_game games
    xdotool key i key 1
    sleep 5.5
    xdotool keydown Left
    sleep 1
    xdotool keyup Left key Escape
    wait_for "abandon question" 5 has_window Nibbly
    answer_yes
    xdotool windowactivate --sync "$wid"
    xdotool key i key e key s key s key 1
    sleep 5.5
    xdotool keydown Right
    sleep 1.5
    xdotool keyup Right key Escape
    wait_for "abandon question" 5 has_window Nibbly
    answer_yes
    xdotool windowactivate --sync "$wid"
    xdotool key i
    sleep 0.5
    kill -TERM "$game"
    wait "$game" || fail "two games: exit status $?"
    mapfile -t files < <(find "$replays" -name '*.replay' | sort)
    echo "    files for the run: ${#files[@]} ($(cd "$replays" && ls | tr '\n' ' '))"
    [ "${#files[@]}" = 2 ] || fail "two games made ${#files[@]} recordings"
    QT_QPA_PLATFORM=offscreen traces games "$prefix/bin/nibbly-sim" "$trace" "${files[@]}" ||
        fail "a game alone replays otherwise than it went"
    # The pictures of the legs below are a fresh player's.
    printf '[SetLog]\nGameCoins=3\nGameHiScore=0\n' >"$settings"
}
game_recordings

# Watching a recording: jumps either way, a pause and speeds change only when each moment is
# shown; what is shown after a jump is what watching straight through shows there. A long run of
# play, of games one after another, is the recording.
watching() {
    local long=$work/long.replay sim=$out/long-sim.jsonl watched=$out/watched-jumps.jsonl
    local t0 t1 cost stretch paused end
    step "watching: a jump ahead, one back, a pause and two speeds; the jump cost"
    traces recording "$long" 600000 5
    QT_QPA_PLATFORM=offscreen "$prefix/bin/nibbly-sim" --screenshot "$work/long-end.png" "$long" \
        >"$sim" || fail "nibbly-sim refused the long recording"
    end=$(tail -1 "$long" | cut -d' ' -f1)
    "$prefix/bin/nibbly" "$long" --trace "$watched" >"$out/watched-jumps.log" 2>&1 &
    game=$!
    pids+=("$game")
    window_up
    sleep 2
    xdotool key Right
    sleep 1
    xdotool key Up
    sleep 1
    xdotool key Up
    sleep 1
    xdotool key Left
    sleep 1
    window_up
    xdotool key space
    sleep 1
    xdotool key space key Down key Down
    sleep 0.5
    t0=$(now)
    xdotool key End
    wait_for "the jump to the end" 10 traces reached "$watched" "$((end - 1000))"
    cost=$(since "$t0")
    echo "    a jump 10 minutes on took ${cost}s"
    sleep 1.5
    window_up
    shot watched-end
    convert "$out/watched-end.png" -crop "448x496+$((cx + 10))+$((cy + 32))" +repage \
        "$work/watched-field.png"
    convert "$work/long-end.png" -crop 448x496+10+32 +repage "$work/sim-field.png"
    differing=$(compare -metric AE "$work/watched-field.png" "$work/sim-field.png" null: 2>&1 || true)
    echo "    the playfield after the jump against the simulator's at that moment: $differing pixels differ"
    [ "$differing" = 0 ] || fail "the picture after a jump is not the one watching straight shows"
    kill -TERM "$game"
    wait "$game" || fail "watching with jumps: exit status $?"
    stretch=$(traces segments "$watched" "$sim") || fail "the watched trace is not the simulator's"
    echo "    stretches of the simulator's trace, from: $stretch ms"
    [ "$(wc -w <<<"$stretch")" -ge 4 ] || fail "the jumps did not show: stretches from $stretch"

    step "watching at 4x: 60 s of a recording take 15 s, and a 3 s pause adds 3 s"
    printf '# setting GameCoins 3\n' >"$long"
    for t in $(seq 2000 2000 74000); do printf '%s key I\n' "$t"; done >>"$long"
    for paused in 0 3; do
        "$prefix/bin/nibbly" "$long" --trace "$watched" >"$out/watched-4x.log" 2>&1 &
        game=$!
        pids+=("$game")
        window_up
        xdotool key Up key Up
        wait_for "5 s watched" 10 traces reached "$watched" 5000
        t0=$(now)
        if [ "$paused" != 0 ]; then
            xdotool key space
            sleep "$paused"
            xdotool key space
        fi
        wait_for "65 s watched" 40 traces reached "$watched" 65000
        t1=$(since "$t0")
        echo "    60 s at 4x with a ${paused} s pause: ${t1}s"
        awk -v t="$t1" -v p="$paused" 'BEGIN { exit !(t >= (15 + p) * 0.95 && t <= (15 + p) * 1.05) }' ||
            fail "60 s at 4x with a ${paused} s pause took ${t1}s"
        kill -TERM "$game"
        wait "$game" || fail "watching at 4x: exit status $?"
    done
}
watching

# ---- Scaled screens (X11): the window fits the screen and its text stays crisp ----
# Each leg runs the installed game alone on a screen of its own, at a scale a desktop sets
# with QT_SCREEN_SCALE_FACTORS, and keeps a picture of the window.
green_share() {
    convert "$1" -fill white -opaque '#008000' -fill black +opaque white -format '%[fx:mean]' info:
}
scaled_leg() {
    local name=$1 screen=$2 scale=$3 factor=$4 xvfb leg info x y w h sw sh
    step "scaled X11 leg $name: screen $screen at $scale draws at ${factor}x"
    Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp 3>"$work/display-$name" \
        2>"$out/xvfb-$name.log" &
    xvfb=$!
    pids+=("$xvfb")
    wait_for "X display" 10 test -s "$work/display-$name"
    DISPLAY=:$(cat "$work/display-$name") QT_SCREEN_SCALE_FACTORS=$scale \
        "$prefix/bin/nibbly" >"$out/nibbly-$name.log" 2>&1 &
    leg=$!
    pids+=("$leg")
    export DISPLAY=:$(cat "$work/display-$name")
    wait_for "window \"$title\"" 20 has_window "$title"
    wid=$(find_window "$title")
    shot_window() { import -window "$wid" "$out/scale-$name.png" && above_green; }
    above_green() { awk -v v="$(green_share "$out/scale-$name.png")" 'BEGIN { exit !(v > 0.3) }'; }
    wait_for "painted window" 10 shot_window
    echo "    screenshot: $out/scale-$name.png"
    info=$(xwininfo -id "$wid")
    x=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
    y=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
    w=$(awk '/Width:/ {print $2}' <<<"$info")
    h=$(awk '/Height:/ {print $2}' <<<"$info")
    sw=${screen%x*}
    sh=${screen#*x}
    echo "    window ${w}x${h} at $x,$y on $screen"
    [ "$w" = $((697 * factor)) ] && [ "$h" = $((556 * factor)) ] ||
        fail "window ${w}x${h} is not 697x556 at ${factor}x"
    [ "$x" -ge 0 ] && [ "$y" -ge 0 ] && [ $((x + w)) -le "$sw" ] && [ $((y + h)) -le "$sh" ] ||
        fail "window at $x,$y, ${w}x${h} does not fit the $screen screen"
    kill -TERM "$leg"
    wait "$leg" || fail "scaled leg $name: exit status $?"
    kill "$xvfb"
    wait "$xvfb" 2>/dev/null || true
}
x11_display=$DISPLAY
scaled_leg 1x 2400x1800 1 1
scaled_leg 2x 2400x1800 2 2
scaled_leg 3x 2400x1800 3 3
scaled_leg 1080p-200 1920x1080 2 1

# ---- Full screen (X11): F11 through the window manager's full-screen state ----
# The box of what is not black in a picture, as "W H X Y".
lit_box() {
    convert "$1" -fuzz 3% -format '%@' info: 2>/dev/null | tr 'x+' '  '
}
# Each leg: a screen of its own with openbox; F11 fills it with the whole window, enlarged by the
# factor (or fitted, "fit", drawn at 2 and smoothed down), centred on black; a click on the coin
# button where it is shown inserts a coin; F11 again puts the window back where it was.
fullscreen_leg() {
    local name=$1 screen=$2 factor=$3 xvfb wm leg sw sh w h x y bx by before after box inputs
    local trace=$out/fullscreen-$name-trace.jsonl kept=$work/settings-before-fullscreen
    step "full-screen X11 leg $name: F11 on a $screen screen shows the window at ${factor}"
    cp "$settings" "$kept"
    printf '[SetLog]\nGameCoins=3\nGameHiScore=0\n' >"$settings"
    Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp 3>"$work/display-fs-$name" \
        2>"$out/xvfb-fs-$name.log" &
    xvfb=$!
    pids+=("$xvfb")
    wait_for "X display" 10 test -s "$work/display-fs-$name"
    export DISPLAY=:$(cat "$work/display-fs-$name")
    openbox --sm-disable >"$out/openbox-fs-$name.log" 2>&1 &
    wm=$!
    pids+=("$wm")
    wait_for "window manager" 10 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"'
    QT_SCREEN_SCALE_FACTORS=1 "$prefix/bin/nibbly" --trace "$trace" >"$out/nibbly-fs-$name.log" \
        2>&1 &
    leg=$!
    pids+=("$leg")
    window_up
    before="$cx,$cy"
    sw=${screen%x*}
    sh=${screen#*x}
    xdotool key F11
    filled() { client_origin; [ "$(xwininfo -id "$wid" | awk '/Width:/ {print $2}')" = "$sw" ]; }
    wait_for "full-screen window" 10 filled
    xprop -id "$wid" _NET_WM_STATE | grep -q _NET_WM_STATE_FULLSCREEN ||
        fail "the window manager does not hold the window full screen"
    if [ "$factor" = fit ]; then
        read -r w h < <(awk -v sw="$sw" -v sh="$sh" 'BEGIN {
            f = sw / 697 < sh / 556 ? sw / 697 : sh / 556
            printf "%d %d\n", 697 * f + 0.5, 556 * f + 0.5 }')
    else
        w=$((697 * factor))
        h=$((556 * factor))
    fi
    x=$(((sw - w) / 2))
    y=$(((sh - h) / 2))
    shown() {
        import -window root "$out/fullscreen-$name.png"
        box=$(lit_box "$out/fullscreen-$name.png")
        [ "$box" = "$w $h $x $y" ]
    }
    wait_for "window shown ${w}x${h} at $x,$y on black" 10 shown
    echo "    screenshot: $out/fullscreen-$name.png"
    echo "    screen $screen: window shown ${w}x${h} at $x,$y (factor $factor), black around it"
    # The coin button's centre, (644.5, 200.5) in the window's own pixels.
    read -r bx by < <(awk -v x="$x" -v y="$y" -v w="$w" -v h="$h" \
        'BEGIN { printf "%d %d\n", x + 644.5 * w / 697, y + 200.5 * h / 556 }')
    xdotool mousemove --sync "$bx" "$by" click 1
    sleep 0.5
    xdotool key F11
    back() { client_origin; [ "$cx,$cy" = "$before" ]; }
    wait_for "window back at $before" 10 back
    after=$(xwininfo -id "$wid" | awk '/Width:|Height:/ {printf "%s ", $2}')
    echo "    F11 again: the window is back at $cx,$cy, ${after% }"
    [ "$after" = "697 556 " ] || fail "the window came back ${after% }"
    kill -TERM "$leg"
    wait "$leg" || fail "full-screen leg $name: exit status $?"
    # The click and the end are the only inputs: F11 is none, nor a loss of the focus.
    inputs=$(sed -n 's/.*"ev":"input",.*"line":"[0-9]* \([^"]*\)".*/\1/p' "$trace" | tr '\n' ',')
    [ "$inputs" = "click XPButton1,end," ] || fail "the trace's inputs are $inputs"
    [ "$(setting GameCoins)" = 4 ] || fail "GameCoins is $(setting GameCoins), not 3 + 1"
    [ "$(setting Fullscreen)" = 0 ] || fail "Fullscreen is stored as $(setting Fullscreen)"
    [ "$(setting frmMainX)" = $((${before%,*} * 15)) ] || fail "frmMainX is not the window's place"
    echo "    the click at $bx,$by is in the trace; coins $(setting GameCoins), Fullscreen=0 stored"
    cp "$kept" "$settings"
    kill "$wm" "$xvfb"
    wait "$wm" "$xvfb" 2>/dev/null || true
}
fullscreen_leg 1440p 2560x1440 2
fullscreen_leg 4k 3840x2160 3
fullscreen_leg 1080p 1920x1080 fit
export DISPLAY=$x11_display

# Full screen is presentation: the same recording watched full screen and at the window's size
# traces the same.
held_full_screen() {
    local window
    window=$(find_window "$title")
    [ -n "$window" ] && xprop -id "$window" _NET_WM_STATE | grep -q _NET_WM_STATE_FULLSCREEN
}
fullscreen_trace_run() {
    local shown script=$work/coins.replay kept=$work/settings-before-fullscreen
    step "F11's choice: a recording watched full screen traces as one watched at the window's size"
    cp "$settings" "$kept"
    printf '1500 key I\n2000 key I\n2500 key I\n3000 end\n' >"$script"
    for shown in 1 0; do
        printf '[SetLog]\nGameCoins=3\nGameHiScore=0\n[Choices]\nFullscreen=%s\n' "$shown" >"$settings"
        "$prefix/bin/nibbly" --replay "$script" --trace "$out/fullscreen-$shown-trace.jsonl" \
            >"$out/fullscreen-$shown.log" 2>&1 &
        game=$!
        pids+=("$game")
        # Watching shows as the player chose.
        [ "$shown" = 0 ] || wait_for "full-screen watching" 10 held_full_screen
        # The end of a recording stays on the screen until the watcher leaves.
        wait_for "the recording's end" 10 traces reached "$out/fullscreen-$shown-trace.jsonl" 2500
        sleep 0.7
        kill -TERM "$game"
        wait "$game" || fail "watching with Fullscreen=$shown: status $?"
    done
    cmp "$out/fullscreen-1-trace.jsonl" "$out/fullscreen-0-trace.jsonl" ||
        fail "full screen changed the trace: $(diff "$out/fullscreen-1-trace.jsonl" \
            "$out/fullscreen-0-trace.jsonl" | head -4 | cut -c1-300)"
    echo "    the traces are the same: $(wc -l <"$out/fullscreen-1-trace.jsonl") lines"
    cp "$kept" "$settings"
}
fullscreen_trace_run

# ---- Wayland: the game plays natively under a compositor ----
step "Wayland: weston headless, the game with QT_QPA_PLATFORM=wayland"
wayland_run=$work/wayland-run
mkdir -m 700 "$wayland_run"
XDG_RUNTIME_DIR=$wayland_run weston --backend=headless-backend.so --use-pixman --debug \
    --socket=nibbly-e2e --width=1024 --height=768 --idle-time=0 >"$out/weston.log" 2>&1 &
weston=$!
pids+=("$weston")
wait_for "weston socket" 10 test -S "$wayland_run/nibbly-e2e"
wayland=(env -u DISPLAY XDG_RUNTIME_DIR="$wayland_run" WAYLAND_DISPLAY=nibbly-e2e
    QT_QPA_PLATFORM=wayland)
# The settings of the X11 legs, the counts in a form the game reads but never writes: the
# plain form afterwards shows that SIGTERM stored them. The remembered place must stay.
stored_x=$(setting frmMainX)
stored_y=$(setting frmMainY)
coins=$(setting GameCoins)
printf '[SetLog]\nGameCoins= +%s\nGameHiScore=%s\nfrmMainX=%s\nfrmMainY=%s\n' "$coins" \
    "$(setting GameHiScore)" "$stored_x" "$stored_y" >"$settings"
"${wayland[@]}" "$prefix/bin/nibbly" >"$out/nibbly-wayland.log" 2>&1 &
game=$!
pids+=("$game")
# The window's pixels: the box of the window's green, widened by where the green lies in
# the X11 picture of the same window.
read -r gw gh gx gy < <(convert "$out/scale-1x.png" -fill white -opaque '#008000' \
    -fill black +opaque white -format '%@\n' info: | tr 'x+' '  ')
wayland_window() {
    local box
    rm -f "$work"/shots/*.png
    mkdir -p "$work/shots"
    (cd "$work/shots" && "${wayland[@]}" weston-screenshooter >/dev/null 2>&1) || return 1
    mv "$work"/shots/*.png "$out/wayland-screen.png" || return 1
    box=$(convert "$out/wayland-screen.png" -fill white -opaque '#008000' \
        -fill black +opaque white -format '%@' info: 2>/dev/null)
    [[ $box =~ ^${gw}x${gh}\+([0-9]+)\+([0-9]+)$ ]] || return 1
    wx=$((BASH_REMATCH[1] - gx))
    wy=$((BASH_REMATCH[2] - gy))
}
wait_for "window on the Wayland screen" 20 wayland_window
echo "    screenshot: $out/wayland-screen.png (window at $wx,$wy, placed by the compositor)"
convert "$out/wayland-screen.png" -crop "697x556+$wx+$wy" +repage "$out/wayland-window.png"
# Outside the rounded outline the compositor shows its desktop and X11 nothing: only the
# window's own pixels are compared.
differing=$(compare -metric AE -fuzz 2% "$out/wayland-window.png" "$out/scale-1x.png" null: 2>&1 ||
    true)
echo "    pixels differing from the X11 picture: $differing of $((697 * 556))"
[ "${differing%% *}" -le 200 ] || fail "the Wayland window differs from the X11 one"

step "Wayland: a second start leaves quietly; SIGTERM stores the settings, the place kept"
timeout 20 "${wayland[@]}" XDG_ACTIVATION_TOKEN=e2e-token "$prefix/bin/nibbly" \
    >"$out/second-wayland.log" 2>&1 || fail "second start under Wayland: status $?"
[ ! -s "$out/second-wayland.log" ] || fail "second start said: $(cat "$out/second-wayland.log")"
asked=$EPOCHREALTIME
kill -TERM "$game"
wait "$game" || fail "Wayland game: exit status $?"
took=$(awk -v a="$asked" -v b="$EPOCHREALTIME" 'BEGIN { printf "%d", (b - a) * 1000 }')
sed 's/^/    /' "$settings"
echo "    ended $took ms after SIGTERM"
[ "$took" -le 300 ] || fail "$took ms after SIGTERM"
[ "$(setting GameCoins)" = "$coins" ] || fail "no settings stored at SIGTERM"
[ "$(setting frmMainX)" = "$stored_x" ] && [ "$(setting frmMainY)" = "$stored_y" ] ||
    fail "the stored place changed under Wayland"
[ ! -s "$out/nibbly-wayland.log" ] || fail "the game said: $(cat "$out/nibbly-wayland.log")"
# Its row of the desktops' table: headless weston has no input.
printf '%s\n' "${differing%% *} px differ" "none (no input)" "none (no input)" "none (no input)" \
    "quiet, token handed on" "$took ms, place kept" empty >"$out/weston-headless.figures"
wayland_fullscreen() {
    local kept=$work/settings-before-wayland-fullscreen w=697 h=556 x=163 y=106 box
    step "Wayland: stored full screen starts the window centred on black"
    cp "$settings" "$kept"
    printf '[SetLog]\nGameCoins=3\nGameHiScore=0\n[Choices]\nFullscreen=1\n' >"$settings"
    "${wayland[@]}" "$prefix/bin/nibbly" >"$out/nibbly-wayland-fullscreen.log" 2>&1 &
    game=$!
    pids+=("$game")
    wayland_shown() {
        rm -f "$work"/shots/*.png
        mkdir -p "$work/shots"
        (cd "$work/shots" && "${wayland[@]}" weston-screenshooter >/dev/null 2>&1) || return 1
        mv "$work"/shots/*.png "$out/wayland-fullscreen.png" || return 1
        box=$(lit_box "$out/wayland-fullscreen.png")
        [ "$box" = "$w $h $x $y" ]
    }
    wait_for "window shown ${w}x${h} at $x,$y on black" 20 wayland_shown
    echo "    screenshot: $out/wayland-fullscreen.png (window shown ${w}x${h} at $x,$y, factor 1)"
    kill -TERM "$game"
    wait "$game" || fail "Wayland full-screen game: exit status $?"
    [ "$(setting Fullscreen)" = 1 ] || fail "Fullscreen is stored as $(setting Fullscreen)"
    cp "$kept" "$settings"
}
wayland_fullscreen
kill "$weston"
wait "$weston" 2>/dev/null || true

step "Wayland desktops: scripts/e2e-desktops.sh"
bash scripts/e2e-desktops.sh "$prefix" "$out"

step "passed"
