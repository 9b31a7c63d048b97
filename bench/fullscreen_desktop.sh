# Sourced by the full-screen device benchmarks once top (the checkout) and
# seconds (the movies' length) are set: the Wine prefix, a 1920x1200 Xvfb,
# the 1920x1080 pair with its side-by-side movie in $dir, and
# "desktop CMD ARGS...", which runs CMD in a 1920x1080 virtual desktop with
# time enough for the play.
. "$top/scripts/env.sh"
. "$top/scripts/xvfb.sh"
"$top/scripts/wine-prefix.sh" >/dev/null
twr_wine_env
export TWR_XVFB_SIZE=1920x1200
twr_start_xvfb
. "$top/bench/fullscreen_media.sh"
dir=$TWR_WORK/bench/fullscreen
make_fullscreen_pair "$dir" "$seconds" sbs
limit=$((seconds * 4 + 60))
desktop() { "$top/scripts/run-in-desktop.sh" --limit $limit --size 1920x1080 "$@" | tr -d '\r'; }
