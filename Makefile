# Thin wrapper over CMake. `make run` and `make test` work on a fresh Debian 12 machine.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)
APP := $(BUILD_DIR)/CulmoraPhotos.app/bin/CulmoraPhotos
FINDER_MODULE := $(BUILD_DIR)/CulmoraPhotos.app/PlugIns/libinkwarden-finder.so

.PHONY: all deps configure build run test bench install clean

all: build

deps:
	scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	scripts/run-app $(APP)

test: build
	scripts/run-tests $(BUILD_DIR)

bench: build
	scripts/run-benchmarks $(BUILD_DIR)

# The desktop entry for the current user (document types and the qeliz: URL scheme), and the
# file manager's extension module for every user (restart Nautilus to load it).
install: build
	scripts/install-desktop-entry $(APP)
	scripts/install-finder-extension $(FINDER_MODULE)

clean:
	rm -rf $(BUILD_DIR)
