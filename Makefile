# The two commands a player or developer needs:
#   make play   installs what is missing, builds, and starts the game
#   make test   installs what is missing, builds, and runs every test (also under ASan/UBSan)
# and for developers: make build, make bench, make fuzz, make format.

BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 300
JOBS       ?= $(shell nproc)

# Debian packages the build, the game and the tests need.
PACKAGES = cmake make g++ pkg-config libgtest-dev libbenchmark-dev \
           libsdl2-dev libsdl2-ttf-dev libfontconfig-dev fonts-dejavu-core \
           xvfb xauth xdotool x11-utils imagemagick clang libclang-rt-14-dev valgrind

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: deps build play test test-asan bench fuzz fuzz-short format clean

deps:
	@missing=$$(for p in $(PACKAGES); do \
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
	$(MAKE) test-asan
	$(MAKE) fuzz-short

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DYELKO_SANITIZE=ON -DYELKO_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS) -LE no-asan

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
	rm -rf $(BUILD) $(ASAN_BUILD)
