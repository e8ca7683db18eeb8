# make run: build the utility, the emulator and the artwork (nothing else), then run the
#           utility against a freshly started emulator; the build's output goes to
#           $(BUILD)/make-run.log unless VERBOSE=1.
# make test: build everything and run every test.
# make windows: cross-build the Windows programs; make windows-test: their tests under Wine;
#               make windows-package: their zip and installer.
# make install: the programs and their files under PREFIX, below DESTDIR when given;
#               make uninstall (with the same DESTDIR) removes what the last install wrote.
# make deb: dist/ap-utility_<version>_amd64.deb, from the same install rules.
# make collection: dist/aputility-access_point-<version>.tar.gz, the Ansible collection as
#                  ansible-galaxy builds it (the package installs it too).
# make format: clang-format on every C++ file; make clean: every build folder and dist/.
BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
PREFIX ?= /usr/local
RUN_DIR := $(BUILD)/run

.PHONY: all deps configure build run test test-asan test-tsan fuzz bench format clean \
	windows windows-test windows-package install uninstall deb collection

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: deps
	@BUILD_TYPE=$(BUILD_TYPE) JOBS=$(JOBS) VERBOSE=$(VERBOSE) bash scripts/run.sh $(BUILD)

test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# Every test again, built with AddressSanitizer and UndefinedBehaviorSanitizer; any report fails.
test-asan: deps
	@cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DAP_SANITIZE=ON >/dev/null
	@cmake --build build-asan -j $(JOBS)
	@cd build-asan && QT_QPA_PLATFORM=offscreen \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS)

# The write path (worker thread, progress dialog, emulator) under ThreadSanitizer.
test-tsan: deps
	@bash scripts/tsan.sh

# Each fuzz target for FUZZ_SECONDS, from the seed corpus in fuzz/corpus/.
FUZZ_SECONDS ?= 60
fuzz: deps
	@bash scripts/fuzz.sh $(FUZZ_SECONDS)

# The benchmarks need only the utility, the emulator and the bench programs, for the fleet's
# figures ap-config and the Ansible collection, and, where the Windows tools are installed
# (make windows installs them), the Windows utility and its floor, for the table's row of the
# start-up under Wine.
bench: configure
	@cmake --build $(BUILD) -j $(JOBS) --target ap-utility ap-emulator bench_probe floor_login \
	  floor_tabs bench_ui bench_channel bench_keyfile ap-config collection
	@if command -v i686-w64-mingw32-g++-posix >/dev/null && command -v wine >/dev/null; then \
	  cmake -S . -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
	    -DCMAKE_BUILD_TYPE=Release >/dev/null && \
	  cmake --build build-win32 -j $(JOBS) --target ap-utility win32_floor_manifest >/dev/null; fi
	@bash scripts/bench.sh $(BUILD)

# The Windows programs (mingw-w64 i686) in build-win32/; the tools are installed when missing.
windows:
	@JOBS=$(JOBS) bash scripts/windows-build.sh

# The Windows build's tests under Wine on a private Xvfb display, against a Linux emulator over
# loopback TCP, and the utility end to end (scripts/windows-e2e.sh).
windows-test:
	@JOBS=$(JOBS) bash scripts/windows-tests.sh

# dist/ap-utility-<version>-win32.zip and its NSIS installer, both checked (the installer
# under Wine).
windows-package: windows
	@bash scripts/windows-package.sh

install: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DCMAKE_INSTALL_PREFIX=$(PREFIX) \
	  >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) --target install-files
	@DESTDIR="$(DESTDIR)" cmake --install $(BUILD)

uninstall:
	@DESTDIR="$(DESTDIR)" bash scripts/uninstall.sh $(BUILD)/install_manifest.txt

collection: configure
	@cmake --build $(BUILD) --target collection
	@mkdir -p dist
	@rm -f dist/aputility-access_point-*.tar.gz
	@cp $(BUILD)/ansible/aputility-access_point-*.tar.gz dist/
	@ls dist/aputility-access_point-*.tar.gz

# Built in build-deb/ with Debian's compiler and linker flags; the package's dependencies
# come from the programs' libraries (dpkg-shlibdeps).
deb: deps
	@JOBS=$(JOBS) bash scripts/deb-package.sh

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

# Every build folder the targets and scripts above write, and the packages in dist/.
clean:
	rm -rf $(sort $(BUILD) build build-asan build-tsan build-fuzz build-win32 build-deb dist)
