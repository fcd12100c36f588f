# Two entry points: `make demo` and `make test`. Both install what the build
# needs on a fresh Debian machine (as root), configure, build with -j2, run.
BUILD      ?= build
JOBS       ?= 2
CMAKE_ARGS ?=
BUILD_PACKAGES := cmake make g++ pkg-config zlib1g-dev libminizip-dev libpugixml-dev libisal-dev
# The tests also check our files against other programs: openpyxl writes
# foreign files, LibreOffice recomputes our formulas; clang builds the fuzzer.
TEST_PACKAGES := libgtest-dev libgmock-dev libbenchmark-dev python3 python3-openpyxl python3-pil \
                 libreoffice-calc poppler-utils fonts-wqy-zenhei clang libclang-rt-14-dev

# The Windows component: the cross toolchains, widl and Wine's IDL files to
# build it; Wine and a virtual display to test the 64-bit one.
# The installer is made by NSIS and signed, when given a certificate, by
# osslsigncode.
INSTALLER_PACKAGES := nsis osslsigncode openssl
WINDOWS_PACKAGES := g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools libwine-dev wine64 \
                    $(INSTALLER_PACKAGES)
WINE_TEST_PACKAGES := g++-mingw-w64-x86-64-posix mingw-w64-tools libwine-dev wine64 xvfb xauth fonts-wine fonts-wqy-zenhei \
                      $(INSTALLER_PACKAGES)
TEST_PACKAGES += $(WINE_TEST_PACKAGES)

# The browser build: Debian's emscripten (with the JavaScript parser its
# optimizer needs) and dpkg-dev to unpack the libraries' source packages.
WEB_PACKAGES := emscripten node-acorn dpkg-dev
# The page is tested in headless Chromium.
TEST_PACKAGES += chromium

# The whole-run benchmark compares tavo with a pandas + openpyxl script.
BENCH_PACKAGES := python3 python3-pandas python3-openpyxl chromium $(WINE_TEST_PACKAGES)

.PHONY: demo test asan bench deps test-deps bench-deps configure build clean windows windows-deps windows64 windows32 \
        web web-deps corpus

# Installs the Debian packages of $(1) that are missing (as root), or tells
# the exact command to run.
define install_missing
	@missing=""; for p in $(1); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $$missing; \
	  else \
	    echo "missing packages; run as root:"; \
	    echo "  apt-get install -y$$missing"; exit 1; \
	  fi; \
	fi
endef

deps:
	$(call install_missing,$(BUILD_PACKAGES) libgtest-dev libbenchmark-dev)

test-deps:
	$(call install_missing,$(BUILD_PACKAGES) $(TEST_PACKAGES))

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DTAVO_WINDOWS_BUILD=$(abspath $(BUILD)-win64) \
	  -DTAVO_WEB_BUILD=$(abspath $(BUILD)-web) $(CMAKE_ARGS)

build: configure
	cmake --build $(BUILD) -j$(JOBS)

test: test-deps build windows64 web
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

windows-deps:
	$(call install_missing,$(WINDOWS_PACKAGES))

# tavo.dll for 64-bit spreadsheets in $(BUILD)-win64/src/component/, for
# 32-bit ones in $(BUILD)-win32/src/component/, and the installer that
# carries both. With SIGN_CERT and SIGN_KEY (PEM files; SIGN_PASS for the
# key's password) the DLLs and the installer are signed.
SIGN_CERT ?=
SIGN_KEY ?=
SIGN_PASS ?=
windows: windows-deps windows64 windows32
	SIGN_CERT="$(SIGN_CERT)" SIGN_KEY="$(SIGN_KEY)" SIGN_PASS="$(SIGN_PASS)" src/installer/make_installer.sh \
	  $(BUILD)-win64/tavo-setup.exe --x64 $(BUILD)-win64/src/component/tavo.dll --x86 $(BUILD)-win32/src/component/tavo.dll
	SIGN_CERT="$(SIGN_CERT)" SIGN_KEY="$(SIGN_KEY)" SIGN_PASS="$(SIGN_PASS)" src/installer/make_installer.sh \
	  $(BUILD)-win32/tavo-setup-x86.exe --x86 $(BUILD)-win32/src/component/tavo.dll
	@echo "tavo.dll (64-bit): $(BUILD)-win64/src/component/tavo.dll"
	@echo "tavo.dll (32-bit): $(BUILD)-win32/src/component/tavo.dll"
	@echo "installer (64-bit Windows): $(BUILD)-win64/tavo-setup.exe"
	@echo "installer (32-bit Windows): $(BUILD)-win32/tavo-setup-x86.exe"

windows64 windows32: windows%:
	cmake -S . -B $(BUILD)-win$* -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
	  -DTAVO_WINDOWS_ARCH=$(if $(filter 64,$*),x86_64,i686) -DCMAKE_BUILD_TYPE=Release $(CMAKE_ARGS)
	cmake --build $(BUILD)-win$* -j$(JOBS)

web-deps:
	$(call install_missing,$(WEB_PACKAGES))

# The engine, the model and the file formats as WebAssembly in
# $(BUILD)-web/, with zlib, minizip and pugixml built from the source
# packages of the versions the native build links; no download at build
# time but the source packages themselves.
web: deps web-deps
	web/fetch_sources.sh $(abspath $(BUILD)-web)/sources
	emcmake cmake -S web -B $(BUILD)-web -DTAVO_SOURCES_OF_LIBRARIES=$(abspath $(BUILD)-web)/sources \
	  -DCMAKE_BUILD_TYPE=Release
	NODE_PATH=/usr/share/nodejs cmake --build $(BUILD)-web -j$(JOBS)

# The whole suite once more under AddressSanitizer and UBSan (the fuzzer
# has its own sanitized build; LibreOffice checks need no second run).
asan: test-deps
	cmake -S . -B $(BUILD)-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVO_SANITIZE=ON $(CMAKE_ARGS)
	cmake --build $(BUILD)-asan -j$(JOBS)
	cd $(BUILD)-asan && ctest --output-on-failure -j$(JOBS) -LE 'fuzz|interop'

demo: build
	./$(BUILD)/src/cli/tavo demo tavo-demo
	@echo "The demo files are in ./tavo-demo (tavo show FILE [SHEET] prints a sheet)."

bench-deps:
	$(call install_missing,$(BENCH_PACKAGES))

bench: build bench-deps windows64 web
	/usr/bin/python3 bench/whole_run.py $(BUILD)
	/usr/bin/python3 bench/page_run.py $(BUILD) $(BUILD)-web
	./$(BUILD)/bench/tavo_memory_probe
	./$(BUILD)/bench/tavo_bench_model
	./$(BUILD)/bench/tavo_bench_xlsx
	./$(BUILD)/bench/tavo_bench_report
	WINEPREFIX=$(abspath $(BUILD)-win64)/wineprefix WINEDEBUG=-all /usr/lib/wine/wine64 $(BUILD)-win64/tavo_bench_dispatch.exe

# Every reference file of libxlsxwriter's test suite and every spreadsheet
# of Apache POI's test data (Debian's source packages; their source entries
# as `make web` sets them up) loaded and saved by tavo: the tables of what
# comes back changed, named or not. `make test` runs a sample of each.
corpus: test-deps build web-deps
	web/fetch_sources.sh $(abspath $(BUILD)-web)/sources
	/usr/bin/python3 tests/corpus/corpus_round_trip.py $(BUILD)/tests/corpus/tavo_round_trip $(BUILD)/corpus
	/usr/bin/python3 tests/corpus/corpus_round_trip.py $(BUILD)/tests/corpus/tavo_round_trip $(BUILD)/corpus --source poi

clean:
	rm -rf $(BUILD) $(BUILD)-asan $(BUILD)-win64 $(BUILD)-win32 $(BUILD)-web
