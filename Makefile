# Parlo: make run (opens Parlo on the demo phone), make test (builds and runs every test).
PACKAGES := build-essential cmake ninja-build pkg-config libsdl2-dev libfreetype-dev \
  libfontconfig-dev fonts-nanum libsqlite3-dev libpng-dev libstb-dev libhangul-dev \
  nlohmann-json3-dev libcli11-dev libgtest-dev libbenchmark-dev libturbojpeg0-dev libxxhash-dev ccache \
  clang libclang-rt-14-dev libmm-glib-dev dbus-daemon python3-dbusmock
JOBS ?= $(shell nproc)
# Rebuilds of an unchanged file come from ccache (a fresh clone rebuilds everything otherwise).
LAUNCHER := $(shell command -v ccache >/dev/null && echo -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# Paths relative to the checkout, so another clone of the same sources hits the same cache.
export CCACHE_BASEDIR := $(CURDIR)
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

# Seconds each fuzz target runs: a few in make test, FUZZ_SECONDS in make fuzz.
FUZZ_SHORT_SECONDS ?= 5
FUZZ_SECONDS ?= 600

.PHONY: help deps build asan bench coverage fuzz-build fuzz run test test-default test-asan test-fuzz clean
.DEFAULT_GOAL := help

# The builds that make test does treat warnings as errors; other builds keep what was set last.
test test-default test-asan: WERROR := -DPARLO_WERROR=ON
# Coverage needs gcovr on top of the build's own packages.
coverage: PACKAGES += gcovr
# The benches run es-hangul beside the search; node and npm come from apt unless they are there.
bench: PACKAGES += $(if $(shell command -v npm),,nodejs npm)

help:
	@echo "make run     build and open Parlo in a window on the demo phone (needs a display)"
	@echo "make test    build and run every test, also under AddressSanitizer (warnings are errors),"
	@echo "             and each fuzz target for a few seconds on its seeds"
	@echo "make build   build the programs into build/bin"
	@echo "make asan    build with AddressSanitizer and UBSan into build-asan"
	@echo "make bench   build the benchmarks into build-bench, run them all, print one table (and bench/results.json)"
	@echo "make coverage  build with coverage into build-coverage, run the tests, print coverage per room"
	@echo "make fuzz    build the fuzz targets (clang, libFuzzer) and run each FUZZ_SECONDS (600)"
	@echo "make deps    install the Debian packages the build needs (only the missing ones)"
	@echo "make clean   remove the build folders"

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi

build: deps
	cmake --preset default $(LAUNCHER) $(WERROR) >/dev/null
	cmake --build build -j $(JOBS)

asan: deps
	cmake --preset asan $(LAUNCHER) $(WERROR) >/dev/null
	cmake --build build-asan -j $(JOBS)

bench: deps
	cmake --preset bench $(LAUNCHER) >/dev/null
	cmake --build build-bench -j $(JOBS)
	[ -d bench/es_hangul/node_modules ] || (cd bench/es_hangul && npm ci --no-audit --no-fund)
	python3 bench/run_all.py build-bench/bin

# The tests' result is the target's result; the figures are printed either way.
# Counts from an earlier run are removed before the build (finding the tests runs them) and after it.
coverage: deps
	cmake --preset coverage $(LAUNCHER) >/dev/null
	[ ! -d build-coverage ] || find build-coverage -name '*.gcda' -delete
	cmake --build build-coverage -j $(JOBS)
	find build-coverage -name '*.gcda' -delete
	cd build-coverage && ctest -j $(JOBS) >ctest.log; status=$$?; tail -n 3 ctest.log; \
	  cd $(CURDIR) && gcovr -r . --object-directory build-coverage -j $(JOBS) \
	    --filter 'src/' --filter 'tools/' --filter 'res/' --gcov-exclude '.*CompilerId.*' \
	    --exclude-throw-branches --exclude-unreachable-branches \
	    --json-summary build-coverage/coverage.json && \
	  python3 cmake/coverage_rooms.py build-coverage/coverage.json; exit $$status

# Only the fuzz targets and the libraries they link are built (the fuzz preset's fuzz_targets).
fuzz-build: deps
	cmake --preset fuzz $(LAUNCHER) >/dev/null
	cmake --build build-fuzz --target fuzz_targets -j $(JOBS)

# New inputs grow build-fuzz/corpus; the committed seeds in fuzz/corpus are only read.
fuzz: fuzz-build
	fuzz/run_fuzzers.sh build-fuzz $(FUZZ_SECONDS) build-fuzz/corpus $(JOBS)

run: build
	./build/bin/parlo

test-default: build
	cd build && ctest --output-on-failure -j $(JOBS)

test-asan: asan
	cd build-asan && ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp ctest --output-on-failure -j $(JOBS)

# A short run of every target on a fresh copy of nothing but the seeds: it replays every committed
# input (the regressions among them) and fuzzes a little beyond.
test-fuzz: fuzz-build
	rm -rf build-fuzz/short
	fuzz/run_fuzzers.sh build-fuzz $(FUZZ_SHORT_SECONDS) build-fuzz/short $(JOBS)

test: test-default test-asan test-fuzz

clean:
	rm -rf build build-asan build-bench build-coverage build-fuzz
