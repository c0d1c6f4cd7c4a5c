# Thin wrapper over CMake. `make run` and `make test` work on a fresh Debian 12 machine.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)
APP := $(BUILD_DIR)/CulmoraPhotos.app/bin/CulmoraPhotos
FINDER_MODULE := $(BUILD_DIR)/CulmoraPhotos.app/PlugIns/libinkwarden-finder.so

SANITIZER_BUILD_DIR ?= build-sanitizers
# The unit tests of the code that parses or writes untrusted data.
SANITIZER_TESTS := ikw_platform_core_tests ikw_platform_secrets_tests ikw_pdf_tests ikw_docops_tests ikw_legal_tests ikw_services_tests \
	ikw_thumbnail_tool_tests ikw_thumbnail_images_tests ikw_review_tests ikw_platform_photos_tests

.PHONY: all deps configure build run test check-sanitizers bench install clean

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

# Those tests under AddressSanitizer and UndefinedBehaviorSanitizer; any report fails the run.
check-sanitizers: deps
	cmake -S . -B $(SANITIZER_BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DIKW_SANITIZE=ON
	cmake --build $(SANITIZER_BUILD_DIR) -j $(JOBS) --target $(SANITIZER_TESTS) qelthumb ikw_thumbnail_images
	scripts/run-sanitizer-tests $(SANITIZER_BUILD_DIR) $(SANITIZER_TESTS)

bench: build
	scripts/run-benchmarks $(BUILD_DIR)

# The desktop entry for the current user (document types and the qeliz: URL scheme), and the
# file manager's extension module for every user (restart Nautilus to load it).
install: build
	scripts/install-desktop-entry $(APP)
	scripts/install-finder-extension $(FINDER_MODULE)

clean:
	rm -rf $(BUILD_DIR)
