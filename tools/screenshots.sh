#!/usr/bin/env bash
# Takes the screenshots of docs/screenshots: the real program started under
# Xvfb on an 800 x 600 screen with a sample store (splash and main window),
# then the tour of its other windows. Everything runs under the C.UTF-8
# locale, where no language is set, as on a desktop that was never set to
# Chinese. Needs the packages of `bash tools/setup.sh test` plus imagemagick
# and xdotool.
set -euo pipefail
source_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="$source_dir/build/shots"
out_dir="${1:-$source_dir/docs/screenshots}"

cmake -S "$source_dir" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DSHENBAO_BUILD_TESTS=OFF \
    -DSHENBAO_BUILD_BENCH=ON >/dev/null
cmake --build "$build_dir" -j "$(nproc)" --target shenbao make_sample_store screenshot_tour

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/program" "$out_dir"
cp "$build_dir/bin/shenbao" "$source_dir/data/_SysCode.zzj" "$work/program/"
"$build_dir/bin/make_sample_store" "$work/program" 60 >/dev/null

export LANG=C.UTF-8 LC_ALL=C.UTF-8

# The real program: the splash, then the main window after a click on it.
xvfb-run -a -s "-screen 0 800x600x24" bash -c "
    cd '$work/program' && ./shenbao &
    sleep 3
    import -window root '$out_dir/program-splash.png'
    xdotool mousemove 400 300 click 1
    sleep 2
    import -window root '$out_dir/program-main.png'
    kill %1
"
echo "$out_dir/program-splash.png"
echo "$out_dir/program-main.png"

# The other windows, driven through the program's own classes.
xvfb-run -a -s "-screen 0 1280x800x24" "$build_dir/bin/screenshot_tour" "$work/program" "$out_dir"
