# The two commands a player or developer needs:
#   make play   installs what is missing, builds, and starts the game
#   make test   installs what is missing, builds, and runs every test (also under ASan/UBSan)
# and for developers: make build, make bench, make fuzz, make format;
# and the game in a web page: make web (into build-web/), make web-serve (on 127.0.0.1:8000);
# and for Windows: make windows (build-windows/yelko-windows.zip and the installer);
# and to install or release: make install PREFIX=..., make deb, make dist (everything into dist/).

BUILD      ?= build
ASAN_BUILD ?= build-asan
MEMCHECK_BUILD ?= build-memcheck
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 300
WINDOWS_BUILD ?= build-windows
WEB_BUILD  ?= build-web
WEB_OBJ    ?= build-web-obj
WEB_TOOLS  ?= build-web-tools
JOBS       ?= $(shell nproc)
PREFIX     ?= /usr/local
DIST       ?= dist
# The version, from its one place: project(... VERSION ...) in CMakeLists.txt.
VERSION := $(shell sed -n 's/^project.Yelko VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

# Debian packages the build, the game and the tests need.
PACKAGES = cmake make g++ pkg-config libgtest-dev libbenchmark-dev \
           libsdl2-dev libsdl2-ttf-dev libfontconfig-dev fonts-dejavu-core \
           xvfb xauth xdotool x11-utils imagemagick clang libclang-rt-14-dev valgrind \
           desktop-file-utils appstream

# What the Debian package and its test add: CPack's helpers, lintian, and a fresh Debian root.
DEB_PACKAGES = dpkg-dev lintian debootstrap

# The browser build and its test: Debian's emscripten, terser and zopfli (which make the page's
# code and files smaller) and Chromium, and puppeteer-core from npm (driving that Chromium; it
# downloads no browser of its own).
WEB_PACKAGES = emscripten node-terser zopfli chromium
# The newest puppeteer-core that runs on Debian 12's Node.js 18, and axe-core, which the test
# runs inside the page to check its accessibility.
PUPPETEER_VERSION = 24.43.1
AXE_VERSION = 4.14.1

# What the Windows build and its tests add: the cross compiler, and Wine to run the result.
WINDOWS_PACKAGES = cmake make mingw-w64 wine wine64 googletest xvfb xauth xdotool imagemagick nsis

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

# $(call install_missing,PACKAGES[,MORE]): installs with apt-get whichever of the Debian
# packages are not installed; MORE is shell that may add names to $$missing first.
install_missing = missing=$$(for p in $(1); do \
	    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'ok installed' || echo $$p; \
	  done); \
	$(2) \
	if [ -n "$$missing" ]; then \
	  echo "Installing:" $$missing; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi

.PHONY: deps build play test test-asan test-memcheck bench fuzz fuzz-short format clean \
        web-deps web web-serve test-web windows-deps windows test-windows \
        player install deb-deps deb test-deb dist

deps:
	@$(call install_missing,$(PACKAGES))

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
	$(MAKE) test-deb
	$(MAKE) test-web
	$(MAKE) test-windows
	$(MAKE) test-asan
	$(MAKE) test-memcheck
	$(MAKE) fuzz-short

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DYELKO_SANITIZE=ON -DYELKO_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS) -LE no-asan

# Valgrind's memcheck (tests/robust_valgrind_test.sh) over an unoptimised build too: an optimised
# one can read memory never written without memcheck seeing it (a conditional move is no jump).
test-memcheck: deps
	cmake -S . -B $(MEMCHECK_BUILD) -DCMAKE_BUILD_TYPE=Debug -DYELKO_TESTS=OFF -DYELKO_BENCH=OFF
	cmake --build $(MEMCHECK_BUILD) -j $(JOBS) --target yelko yelko-solve yelko_content
	bash tests/robust_valgrind_test.sh $(MEMCHECK_BUILD) .

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

web-deps:
	@$(call install_missing,$(WEB_PACKAGES),\
	  command -v node >/dev/null || missing="$$missing nodejs"; \
	  command -v npm >/dev/null || missing="$$missing npm";)

# The page: the native build makes the data files, emscripten the program (optimised for size).
# An optimised build runs emscripten's JavaScript tools, which find their modules through
# Debian's NODE_PATH.
web: deps web-deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS) --target yelko_content yelko-solve yelko
	NODE_PATH=/usr/share/nodejs emcmake cmake -S . -B $(WEB_OBJ) -DCMAKE_BUILD_TYPE=MinSizeRel \
	  -DYELKO_SDL=OFF -DYELKO_TESTS=OFF -DYELKO_BENCH=OFF \
	  -DYELKO_WEB_DATA=$(abspath $(BUILD))/game -DYELKO_WEB_OUT=$(abspath $(WEB_BUILD))
	NODE_PATH=/usr/share/nodejs cmake --build $(WEB_OBJ) -j $(JOBS) --target yelko_page

web-serve: web
	@echo "Yelko at http://127.0.0.1:8000/ (Ctrl+C ends)"
	cd $(WEB_BUILD) && python3 -m http.server 8000 --bind 127.0.0.1

# The page in headless Chromium (tests/web_browser_test.sh).
test-web: web
	@(grep -qs '"version": "$(PUPPETEER_VERSION)"' $(WEB_TOOLS)/node_modules/puppeteer-core/package.json && \
	  grep -qs '"version": "$(AXE_VERSION)"' $(WEB_TOOLS)/node_modules/axe-core/package.json) || \
	  (mkdir -p $(WEB_TOOLS) && cd $(WEB_TOOLS) && PUPPETEER_SKIP_DOWNLOAD=1 \
	   npm install --no-audit --no-fund --silent puppeteer-core@$(PUPPETEER_VERSION) \
	   axe-core@$(AXE_VERSION))
	YELKO_WEB_TOOLS=$(abspath $(WEB_TOOLS)) timeout 600 bash tests/web_browser_test.sh \
	  $(BUILD) . $(WEB_BUILD)

windows-deps:
	@$(call install_missing,$(WINDOWS_PACKAGES))

# The Windows programs, cross-built with mingw-w64 (cmake/mingw-w64.cmake), and
# $(WINDOWS_BUILD)/yelko-windows.zip. The build runs the content tools under Wine, in a Wine
# prefix of its own ($(WINDOWS_BUILD)/wine).
WINE_PREFIX = $(abspath $(WINDOWS_BUILD))/wine
WINE_ENV = WINEPREFIX=$(WINE_PREFIX) WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=

windows: windows-deps
	@if [ ! -f $(WINE_PREFIX)/system.reg ]; then \
	  mkdir -p $(WINE_PREFIX) && \
	  $(WINE_ENV) timeout 180 wineboot -i >/dev/null 2>&1; \
	  $(WINE_ENV) timeout 60 wineserver -w; \
	fi
	cmake -S . -B $(WINDOWS_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DYELKO_SDL=OFF -DYELKO_BENCH=OFF
	cmake --build $(WINDOWS_BUILD) -j $(JOBS)
	cmake --build $(WINDOWS_BUILD) --target yelko_zip yelko_setup

# The Windows programs under Wine, against the Linux build (tests/windows_wine.sh).
test-windows: windows build
	timeout 900 bash tests/windows_wine.sh $(BUILD) $(WINDOWS_BUILD)

# What an installed game needs, without the tests: the programs, data, icons and manual.
player: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS) --target yelko yelko_content yelko-solve yelko-level \
	  yelko-generate yelko_icons yelko_manual

# bin/yelko and its tools, share/yelko, the desktop entry, icons, AppStream file and manual
# page under PREFIX (DESTDIR=... stages them elsewhere, as packagers do).
install: player
	cmake --install $(BUILD) --prefix $(PREFIX)

deb-deps:
	@$(call install_missing,$(DEB_PACKAGES))

# $(BUILD)/packages/yelko_VERSION_amd64.deb (CPack, platform/linux/CMakeLists.txt).
deb: player deb-deps
	cd $(BUILD) && cpack -G DEB

# The package checked by lintian, installed into a fresh Debian 12 root and removed again
# (tests/debian_package.sh; the root is made once by debootstrap and kept in $(BUILD)).
test-deb: deb
	$(SUDO) timeout 1200 bash tests/debian_package.sh $(BUILD)

# A release: the Debian package, the Windows zip and installer and the web page as a zip (with
# the screenshots the AppStream file names), and their SHA-256 sums, in $(DIST)/.
dist: deb windows web
	rm -rf $(DIST) && mkdir -p $(DIST)/yelko-$(VERSION)-web/screenshots
	cp $(BUILD)/packages/yelko_$(VERSION)_amd64.deb $(DIST)/
	cp $(WINDOWS_BUILD)/yelko-windows.zip $(DIST)/yelko-$(VERSION)-windows.zip
	cp $(WINDOWS_BUILD)/yelko-$(VERSION)-setup.exe $(DIST)/
	cp -r $(WEB_BUILD)/. $(DIST)/yelko-$(VERSION)-web/
	cp docs/window.png docs/status.png docs/fullhd.png $(DIST)/yelko-$(VERSION)-web/screenshots/
	cd $(DIST) && cmake -E tar cf yelko-$(VERSION)-web.zip --format=zip yelko-$(VERSION)-web && \
	  rm -r yelko-$(VERSION)-web && sha256sum yelko* > SHA256SUMS
	@cat $(DIST)/SHA256SUMS

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(MEMCHECK_BUILD) $(WEB_BUILD) $(WEB_OBJ) $(WINDOWS_BUILD) $(DIST)
