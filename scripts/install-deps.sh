#!/bin/sh
# Installs the Debian 12 packages that building, testing and running need.
set -eu
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends \
    cmake ninja-build g++ pkg-config \
    libgtest-dev libgmock-dev libbenchmark-dev \
    nlohmann-json3-dev libcli11-dev libssl-dev \
    pybind11-dev python3-dev python3-pandas \
    qt6-base-dev qt6-svg-dev libqt6svg6-dev libgl-dev poppler-utils \
    fonts-liberation2 fontconfig locales \
    libuemf-dev emf2svg inkscape \
    xvfb xauth \
    dpkg-dev desktop-file-utils appstream shared-mime-info libglib2.0-bin libxml2-utils
