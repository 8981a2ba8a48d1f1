#!/bin/sh
# Installs what building, testing and running need (Debian packages).
set -eu
SUDO=""
if [ "$(id -u)" != "0" ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends \
    build-essential cmake pkg-config \
    qtbase5-dev qttools5-dev qttools5-dev-tools libqt5opengl5-dev \
    fonts-wqy-microhei xvfb xauth x11-utils imagemagick python3 \
    poppler-utils libbenchmark-dev rime-data-pinyin-simp \
    clang libclang-rt-dev llvm \
    libqt5sql5-sqlite libqt5sql5-psql postgresql postgresql-client sqlite3 \
    libcpp-httplib-dev chromium chromium-driver python3-selenium libsodium-dev openssl libssl-dev
