# The front door: every target installs what it needs first (make deps).
# make demo   release build, then zum-convert on the bundled sample drive
# make test   dev build (ASan + UBSan), then every test
# make run    the window
# make bench  throughput and memory against peers, side by side
# make fuzz   each fuzz target for a bounded time

SHELL := /bin/bash
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60

DEB_PACKAGES := cmake ninja-build g++ make pkg-config \
	qt6-base-dev libgl1-mesa-dev libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev \
	clang libclang-rt-14-dev time gpsbabel xvfb xauth \
	libxml2-utils python3-gpxpy

.PHONY: deps demo test run bench fuzz format clean release dev

# Installs only what is missing, so a second run costs nothing.
deps:
	@missing=$$(for p in $(DEB_PACKAGES); do \
		dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; \
	done); \
	if [ -n "$$missing" ]; then \
		echo "Installing:" $$missing; \
		$(SUDO) apt-get update -qq && \
		DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi

release: deps
	cmake --preset release >/dev/null
	cmake --build --preset release -j $(JOBS)

dev: deps
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

bench: release
	bench/run-bench.sh build/release

fuzz: deps
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz -j $(JOBS)
	fuzz/run-fuzz.sh build/fuzz $(FUZZ_SECONDS)

format:
	git ls-files -- 'src/*' 'tests/*' 'bench/*' 'fuzz/*' | grep -E '\.(cpp|hpp)$$' | xargs clang-format -i

clean:
	rm -rf build
