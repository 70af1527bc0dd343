#!/usr/bin/env bash
# Sets up, builds and starts the program, or builds and runs every test, on
# Debian 12. Installs what is missing first (as root, or through sudo).
#
#   bash tools/setup.sh run     install, build, install the program into
#                               ~/shenbao and start it from there
#   bash tools/setup.sh test    install, build, run every test
#   bash tools/setup.sh package install, build the Debian package
#                               build/package/shenbao_<version>_<arch>.deb and
#                               check it with lintian, and its desktop entry
#                               and metainfo
#
# Environment: SHENBAO_HOME (program folder, default ~/shenbao; never the
# source folder or a folder inside it), CI (set: warnings are errors).
set -euo pipefail

mode="${1:-}"
if [[ "$mode" != "run" && "$mode" != "test" && "$mode" != "package" ]]; then
    echo "用法 / usage: bash tools/setup.sh run|test|package" >&2
    exit 2
fi

source_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd -P)"

say() { printf '==> %s\n' "$*"; }
fail() { printf '错误 / error: %s\n' "$*" >&2; exit 1; }

# When started through sudo, build and run as the user who called sudo, so
# the checkout and the program folder stay theirs.
as_user() {
    if [[ "$(id -u)" == 0 && -n "${SUDO_USER:-}" && "${SUDO_USER}" != root ]]; then
        sudo -u "$SUDO_USER" -H --preserve-env=CI,DISPLAY,WAYLAND_DISPLAY,XAUTHORITY,SHENBAO_HOME "$@"
    else
        "$@"
    fi
}
user_home() {
    if [[ "$(id -u)" == 0 && -n "${SUDO_USER:-}" && "${SUDO_USER}" != root ]]; then
        getent passwd "$SUDO_USER" | cut -d: -f6
    else
        printf '%s\n' "$HOME"
    fi
}

# The program folder of `run` holds the program and the user's projects. Inside
# the source folder they would be part of the git work tree, where a
# `git clean -fdx` deletes them: refuse such a folder before doing anything.
if [[ "$mode" == "run" ]]; then
    program_dir="${SHENBAO_HOME:-$(user_home)/shenbao}"
    program_real="$(realpath -m -- "$program_dir")"
    if [[ "$program_real/" == "$source_dir/"* ]]; then
        fail "程序文件夹 $program_dir 是源代码文件夹或在源代码文件夹里面：程序和项目数据会落进 git 工作区，
       git clean -fdx 会把它们删掉。请用环境变量 SHENBAO_HOME 指定别的程序文件夹，例如
           SHENBAO_HOME=~/shenbao-data bash tools/setup.sh run
       或者把源代码克隆到别处（例如 ~/shenbao-src）。
       the program folder $program_dir is the source folder or inside it: the program and
       your projects would land in the git work tree, where git clean -fdx deletes them.
       Set SHENBAO_HOME to another folder (as above), or clone the source elsewhere."
    fi
fi

# ---- 1. packages ------------------------------------------------------------------
packages=(g++ cmake make pkg-config qt6-base-dev qt6-translations-l10n libgl-dev
          fonts-arphic-uming fonts-arphic-ukai libgtest-dev libbenchmark-dev
          xvfb xauth poppler-utils)
# The program opens the X display itself before Qt does, to say plainly when
# there is none.
packages+=(libxcb1-dev)
# Qt Charts draws the summary's bar chart; its CMake files need the OpenGL module's.
packages+=(qt6-charts-dev libqt6opengl6-dev)
# The QR code of the printed application forms; the tests read it back with zbarimg.
packages+=(libqrencode-dev zbar-tools)
missing=()
# Chinese input in Qt 6 programs (Qt's own ibus plugin comes with libqt6gui6);
# a session bus for the input-method tests; the checkers of the desktop entry
# and the metainfo.
packages+=(fcitx5-frontend-qt6 dbus-daemon desktop-file-utils appstream)
# The package's dependencies are read from the program by dpkg-shlibdeps, the
# hardening flags come from dpkg-buildflags, and lintian checks the package
# (the test Package.LintianIsClean makes one too).
packages+=(dpkg-dev file lintian)
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
if ((${#missing[@]} > 0)); then
    say "安装缺少的软件包 / installing missing packages: ${missing[*]}"
    if [[ "$(id -u)" == 0 ]]; then
        apt_get=(apt-get)
    elif command -v sudo >/dev/null 2>&1; then
        # Asks for the password once (when sudo needs one); fails for a user
        # whom sudo does not let install.
        if ! sudo -v; then
            fail "当前用户不能使用 sudo，无法安装 ${missing[*]}。请以 root 身份运行本命令，或者把当前用户加入 sudo 组。
       this user cannot use sudo; run as root or join the sudo group (missing: ${missing[*]})."
        fi
        apt_get=(sudo apt-get)
    else
        fail "缺少软件包 ${missing[*]}，但当前用户不是 root，也没有 sudo，无法安装。请以 root 身份运行本命令。
       packages ${missing[*]} are missing and cannot be installed: not root and no sudo. Run this command as root."
    fi
    export DEBIAN_FRONTEND=noninteractive
    if ! "${apt_get[@]}" update -qq; then
        fail "apt-get update 失败（网络或软件源不可用），无法安装 ${missing[*]}。
       apt-get update failed (network or package sources unavailable); cannot install ${missing[*]}."
    fi
    if ! "${apt_get[@]}" install -y -qq --no-install-recommends "${missing[@]}"; then
        fail "无法安装软件包 ${missing[*]}，请检查软件源后重试。
       could not install ${missing[*]}; check the package sources and try again."
    fi
else
    say "所需软件包均已安装 / all needed packages are installed"
fi

jobs="$(nproc 2>/dev/null || echo 2)"
werror=OFF
[[ -n "${CI:-}" ]] && werror=ON

# ---- 2. build ---------------------------------------------------------------------
if [[ "$mode" == "test" ]]; then
    build_dir="$source_dir/build/test"
    say "编译 / building in $build_dir"
    as_user cmake -S "$source_dir" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DSHENBAO_WERROR="$werror" -DSHENBAO_BUILD_TESTS=ON -DSHENBAO_BUILD_BENCH=ON
    as_user cmake --build "$build_dir" -j "$jobs"
    say "运行全部测试 / running every test"
    as_user env QT_QPA_PLATFORM=offscreen ctest --test-dir "$build_dir" --output-on-failure -j "$jobs"
    exit 0
fi

if [[ "$mode" == "package" ]]; then
    build_dir="$source_dir/build/package"
    say "编译并打包 / building the package in $build_dir"
    as_user cmake -S "$source_dir" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release \
        -DSHENBAO_WERROR="$werror" -DSHENBAO_BUILD_TESTS=OFF -DSHENBAO_BUILD_BENCH=OFF
    as_user cmake --build "$build_dir" -j "$jobs" --target package
    desktop-file-validate "$source_dir/data/cn.chengchuan.shenbao.desktop"
    appstreamcli validate --no-net "$source_dir/data/cn.chengchuan.shenbao.metainfo.xml" >/dev/null
    deb="$(ls -t "$build_dir"/shenbao_*.deb | head -n 1)"
    say "用 lintian 检查软件包 / checking the package with lintian"
    as_user lintian --display-info --fail-on error,warning,info "$deb"
    say "软件包 / package: $deb"
    echo "安装 / install:  sudo apt install $deb"
    exit 0
fi

build_dir="$source_dir/build/release"
say "编译 / building in $build_dir"
as_user cmake -S "$source_dir" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release \
    -DSHENBAO_WERROR="$werror" -DSHENBAO_BUILD_TESTS=OFF -DSHENBAO_BUILD_BENCH=OFF
as_user cmake --build "$build_dir" -j "$jobs" --target shenbao
say "安装到程序文件夹 / installing into the program folder $program_dir"
as_user cmake --install "$build_dir" --prefix "$program_dir" >/dev/null

# ---- 3. start ---------------------------------------------------------------------
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    cat >&2 <<MSG
没有图形显示：本程序是桌面程序，需要在图形桌面中运行（DISPLAY 与 WAYLAND_DISPLAY 都没有设置）。
程序已安装在 $program_dir ，请在桌面的终端中运行：
    $program_dir/shenbao
No graphical display: this is a desktop program and needs a desktop session
(neither DISPLAY nor WAYLAND_DISPLAY is set). It is installed in
$program_dir; start it from a terminal on your desktop with the line above.
MSG
    exit 3
fi
say "启动程序 / starting $program_dir/shenbao"
cd "$program_dir"
as_user "$program_dir/shenbao"
