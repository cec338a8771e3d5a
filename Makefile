# The two commands a player or developer needs:
#   make play   installs what is missing, builds, and starts the game
#   make test   installs what is missing, builds, and runs every test (also under ASan/UBSan)
# and for developers: make build, make bench, make fuzz, make format, make windows.

BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
WINDOWS_BUILD ?= build-windows
FUZZ_SECONDS ?= 300
JOBS       ?= $(shell nproc)

# Debian packages the build, the game and the tests need.
PACKAGES = cmake make g++ pkg-config libgtest-dev libbenchmark-dev \
           libsdl2-dev libsdl2-ttf-dev libfontconfig-dev fonts-dejavu-core \
           xvfb xauth xdotool x11-utils imagemagick clang libclang-rt-14-dev valgrind

# What the Windows build and its tests add: the cross compiler, and Wine to run the result.
WINDOWS_PACKAGES = cmake make mingw-w64 wine wine64 googletest xvfb xauth xdotool imagemagick

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: deps windows-deps build play test test-asan test-windows windows bench fuzz fuzz-short \
	format clean

deps: PACKAGES_WANTED = $(PACKAGES)
windows-deps: PACKAGES_WANTED = $(WINDOWS_PACKAGES)
deps windows-deps:
	@missing=$$(for p in $(PACKAGES_WANTED); do \
	    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'ok installed' || echo $$p; \
	  done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing:" $$missing; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

# Only what a player needs: the game, its data files and the level tools (not the tests).
play: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS) --target yelko yelko_content yelko-solve
	cd $(BUILD)/game && ./yelko

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	$(MAKE) test-windows
	$(MAKE) test-asan
	$(MAKE) fuzz-short

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DYELKO_SANITIZE=ON -DYELKO_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS) -LE no-asan

# The Windows programs, cross-built with mingw-w64 (cmake/mingw-w64.cmake), and
# $(WINDOWS_BUILD)/yelko-windows.zip. The build runs the content tools under Wine, in a Wine
# prefix of its own.
export YELKO_WINEPREFIX := $(abspath $(WINDOWS_BUILD))/wine
WINE_ENV = WINEPREFIX=$(YELKO_WINEPREFIX) WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=

windows: windows-deps
	@if [ ! -f $(YELKO_WINEPREFIX)/system.reg ]; then \
	  mkdir -p $(YELKO_WINEPREFIX) && \
	  $(WINE_ENV) timeout 180 wineboot -i >/dev/null 2>&1; \
	  $(WINE_ENV) timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ \
	    /d N /f >/dev/null 2>&1; \
	  $(WINE_ENV) timeout 60 wineserver -w; \
	fi
	cmake -S . -B $(WINDOWS_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DYELKO_SDL=OFF -DYELKO_BENCH=OFF
	cmake --build $(WINDOWS_BUILD) -j $(JOBS)
	cmake --build $(WINDOWS_BUILD) --target yelko_zip

# The Windows programs under Wine, against the Linux build (tests/windows_wine.sh).
test-windows: windows build
	bash tests/windows_wine.sh $(BUILD) $(WINDOWS_BUILD)

bench: build
	$(BUILD)/bench/yelko_bench

# The libFuzzer programs (fuzz/), built with clang and the sanitizers in a build of their own.
# make fuzz runs each target for FUZZ_SECONDS; make fuzz-short for 30 seconds each, as part of
# make test. Either fails on any finding (see fuzz/run.sh for where findings go).
FUZZ_PROGRAMS = CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DYELKO_FUZZ=ON -DYELKO_SDL=OFF -DYELKO_TESTS=OFF -DYELKO_BENCH=OFF && \
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target yelko_fuzz

fuzz: deps
	$(FUZZ_PROGRAMS)
	bash fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

fuzz-short: deps
	$(FUZZ_PROGRAMS)
	bash fuzz/run.sh $(FUZZ_BUILD) 30

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(WINDOWS_BUILD)
