# Set-up and everyday commands; see README.md.
BUILD_DIR ?= build
ASAN_DIR ?= build-asan
WINDOWS_DIR ?= build-windows
DEB_DIR ?= build-deb
CMAKE_FLAGS ?=

.PHONY: all deps build run test asan-test windows-test bench install deb deb-test fuzz screenshots clean

all: build

deps:
	@scripts/install-deps.sh

# A build folder is configured again whenever its options differ from the last ones.
CONFIGURE_BUILD = scripts/configure.sh $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

build: deps
	@$(CONFIGURE_BUILD)
	cmake --build $(BUILD_DIR)

# Starts the program with the build's sample file, handed over as a file manager does.
run: build
	@if [ -f $(BUILD_DIR)/sample/index.dat ]; then \
		$(BUILD_DIR)/tallowmark /dde $(BUILD_DIR)/sample/index.dat; \
	else \
		$(BUILD_DIR)/tallowmark; \
	fi

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j 2 -LE 'package|mutation'

asan-test: deps
	@scripts/configure.sh $(ASAN_DIR) -DCMAKE_BUILD_TYPE=Debug -DTALLOWMARK_SANITIZE=ON $(CMAKE_FLAGS)
	cmake --build $(ASAN_DIR)
	cd $(ASAN_DIR) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 \
		LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan-suppressions.txt ctest --output-on-failure -j 2 -LE package

# The sanitizers' run includes the damaged disk images (label mutation), which make test
# leaves out for their time.

# Core, CLI and Windows services cross-built with MinGW-w64 and run under Wine.
windows-test: deps
	@scripts/install-deps.sh g++-mingw-w64-x86-64-posix wine wine64 googletest
	@scripts/configure.sh $(WINDOWS_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DTALLOWMARK_GUI=OFF -DTALLOWMARK_BENCH=OFF \
		-DTALLOWMARK_GTEST_SOURCE_DIR=/usr/src/googletest $(CMAKE_FLAGS)
	cmake --build $(WINDOWS_DIR)
	@$(CONFIGURE_BUILD)
	cmake --build $(BUILD_DIR) --target tallowmark-cli
	scripts/windows-test.sh $(WINDOWS_DIR) $(BUILD_DIR)

bench: deps
	@scripts/install-deps.sh libmsiecf-utils pasco time hyperfine ewf-tools sleuthkit ntfs-3g
	@$(CONFIGURE_BUILD)
	cmake --build $(BUILD_DIR)
	bench/compare.sh $(BUILD_DIR)
	bench/search-compare.sh $(BUILD_DIR)
	bench/carve-compare.sh $(BUILD_DIR)
	bench/image-compare.sh $(BUILD_DIR)

PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

# The Debian package, tallowmark_VERSION_ARCH.deb in $(DEB_DIR), checked by lintian.
DEB_TOOLS = debhelper dpkg-dev fakeroot lintian scdoc appstream desktop-file-utils man-db
deb: deps
	@scripts/install-deps.sh $(DEB_TOOLS)
	packaging/build-deb.sh . $(DEB_DIR)

# Builds the package once more, unpacks it and checks what it installs.
deb-test: build
	@scripts/install-deps.sh $(DEB_TOOLS)
	cd $(BUILD_DIR) && ctest --output-on-failure -L package

# Runs the loader fuzzer (clang, libFuzzer) for FUZZ_SECONDS; fails on any finding.
FUZZ_SECONDS ?= 300
fuzz:
	scripts/fuzz.sh $(FUZZ_SECONDS)

# Pictures of the main window with the real sample files, in $(BUILD_DIR)/screenshots.
screenshots: build
	$(BUILD_DIR)/tallowmark_screenshots ../shared/fixtures/real $(BUILD_DIR)/screenshots

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(WINDOWS_DIR) $(DEB_DIR) build-fuzz
