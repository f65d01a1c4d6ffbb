# The front door: every target installs the Debian packages it needs first,
# and only those.
# make demo          release build, then zum-convert on the bundled sample drive
# make run           the window
# make test          dev build (ASan + UBSan), then every test
# make bench         throughput and memory against peers, side by side
# make fuzz          each fuzz target for a bounded time
# make package       zum-points_VERSION_amd64.deb, checked by lintian
# make windows       zum-convert.exe, cross-compiled with MinGW-w64
# make test-windows  the core and golden-file CLI tests of the .exe under wine

SHELL := /bin/bash
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60

# The release build: the two programs.
BUILD_PACKAGES := cmake ninja-build g++ make pkg-config qt6-base-dev libgl1-mesa-dev libcli11-dev
# The tests, and the validators the install test runs.
TEST_PACKAGES := $(BUILD_PACKAGES) libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth \
	desktop-file-utils appstream man-db bash-completion file \
	gpsbabel libxml2-utils python3-gpxpy
BENCH_PACKAGES := $(BUILD_PACKAGES) libbenchmark-dev time gpsbabel
FUZZ_PACKAGES := cmake ninja-build make libcli11-dev clang libclang-rt-14-dev
PACKAGE_PACKAGES := $(BUILD_PACKAGES) dpkg-dev lintian
# googletest comes as source in libgtest-dev and is built with the cross compiler.
WINDOWS_PACKAGES := cmake ninja-build make libcli11-dev libgtest-dev g++-mingw-w64-x86-64-posix
WINE_PACKAGES := $(WINDOWS_PACKAGES) wine wine64

# The release build for running the programs carries no tests.
RELEASE_FLAGS := -DZUM_TESTS=OFF

.PHONY: deps deps-build deps-test deps-bench deps-fuzz deps-package deps-windows deps-wine \
	demo test run bench fuzz package windows test-windows format clean release dev

# Installs only what is missing, so a second run costs nothing.
define install_packages
	@missing=$$(for p in $(sort $(1)); do \
		dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; \
	done); \
	if [ -n "$$missing" ]; then \
		echo "Installing:" $$missing; \
		$(SUDO) apt-get update -qq && \
		DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi
endef

deps-build:
	$(call install_packages,$(BUILD_PACKAGES))
deps-test:
	$(call install_packages,$(TEST_PACKAGES))
deps-bench:
	$(call install_packages,$(BENCH_PACKAGES))
deps-fuzz:
	$(call install_packages,$(FUZZ_PACKAGES))
deps-package:
	$(call install_packages,$(PACKAGE_PACKAGES))
deps-windows:
	$(call install_packages,$(WINDOWS_PACKAGES))
deps-wine:
	$(call install_packages,$(WINE_PACKAGES))
# Everything every target needs.
deps: deps-test deps-bench deps-fuzz deps-package deps-wine

# The release build is guided by a profile: an instrumented zum-convert is
# built and run on typical drives first (bench/train-profile.sh).
release: deps-build
	cmake --preset profile-training >/dev/null
	cmake --build --preset profile-training -j $(JOBS) --target zum-convert zum-make-drive-log
	bench/train-profile.sh build/profile-training
	cmake --preset release $(RELEASE_FLAGS) >/dev/null
	cmake --build --preset release -j $(JOBS)

dev: deps-test
	cmake --preset dev >/dev/null
	cmake --build --preset dev -j $(JOBS)

demo: release
	@out=$$(mktemp -d); cp samples/0511NMEA.TXT "$$out/"; \
	echo "== zum-convert samples/0511NMEA.TXT (outputs in $$out)"; \
	build/release/zum-convert --settings /dev/null "$$out/0511NMEA.TXT" || exit 1; \
	for s in draw time sat speed 2d; do \
		f="$$out/0511NMEA.TXT_$$s.txt"; \
		echo "== $$(basename $$f): $$(wc -l < $$f) lines"; head -n 5 "$$f"; \
	done

test: dev
	ctest --preset dev

run: release
	build/release/zum-points

bench: deps-bench release
	bench/run-bench.sh build/release

fuzz: deps-fuzz
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz -j $(JOBS)
	fuzz/run-fuzz.sh build/fuzz $(FUZZ_SECONDS)

package: deps-package release
	cd build/release && cpack
	lintian --fail-on error build/release/zum-points_*_amd64.deb

windows: deps-windows
	cmake --preset windows >/dev/null
	cmake --build --preset windows -j $(JOBS)

test-windows: deps-wine windows
	tests/windows/run-windows-tests.sh build/windows

format:
	git ls-files -- 'src/*' 'tests/*' 'bench/*' 'fuzz/*' | grep -E '\.(cpp|hpp)$$' | xargs clang-format -i

clean:
	rm -rf build
