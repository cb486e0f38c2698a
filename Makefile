# The commands of the README. Each one first installs what is missing and builds.
BUILD ?= build
PREFIX ?= /usr/local
MAKEFLAGS += --no-print-directory
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

ASAN_BUILD ?= build-asan
STRESS_REPEAT ?= 20
SANITIZER_ENV = ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1 \
  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizers/lsan.supp:print_suppressions=0 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

FUZZ_BUILD ?= build-fuzz

# The test programs are built only for the commands that run them: make run, make install and
# make package build what they ship. (A plain CMake build has them on, as CTest's switch is.)
TESTING = OFF
test test-stress: TESTING = ON
FUZZ_SECONDS ?= 60

.PHONY: all deps deps-run deps-build deps-package configure build run run-settings test test-stress test-sanitize fuzz tidy \
	format-check locale-table bench package install uninstall clean

all: build

# Everything make test needs; make run installs only what building and running the programs take.
deps:
	@scripts/install-deps.sh test

deps-run:
	@scripts/install-deps.sh run

# What building the programs takes (make install, make package): no test tools.
deps-build:
	@scripts/install-deps.sh build

# make package: building, and dpkg-dev for the package's dependencies.
deps-package:
	@scripts/install-deps.sh package

# The install prefix is no part of the build (the programs find their files from where they lie),
# so make install PREFIX=... never rebuilds anything. Whatever configures installs what building
# takes first: CMake itself may be missing.
configure: deps-build
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=$(TESTING) $(CMAKE_ARGS) >/dev/null

# The programs, their icons and man pages: what make install and make package take.
build: deps-build configure
	@cmake --build $(BUILD) -j$(JOBS)

run: deps-run configure
	@cmake --build $(BUILD) -j$(JOBS) --target zimbrel-generator
	@BUILD=$(BUILD) scripts/run.sh generator

run-settings: deps-run configure
	@cmake --build $(BUILD) -j$(JOBS) --target zimbrel-settings
	@BUILD=$(BUILD) scripts/run.sh settings

test: deps build
	@cmake --build $(BUILD) -j$(JOBS) --target zimbrel-tests
	@cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

# The tests that drive real X servers and programs, repeated while both cores are kept busy, then
# the sanitized suite once under the same load: a test whose outcome depends on timing shows up here.
test-stress: deps build
	@cmake --build $(BUILD) -j$(JOBS) --target zimbrel-tests
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZIMBREL_SANITIZE=ON $(CMAKE_ARGS) >/dev/null
	@cmake --build $(ASAN_BUILD) -j$(JOBS) --target all zimbrel-tests
	@ZIMBREL_SANITIZER_ENV="$(SANITIZER_ENV)" scripts/stress.sh $(BUILD) $(STRESS_REPEAT) $(ASAN_BUILD)

# The whole suite built with AddressSanitizer and UndefinedBehaviorSanitizer, leak checking on.
test-sanitize: deps
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZIMBREL_SANITIZE=ON $(CMAKE_ARGS) >/dev/null
	@cmake --build $(ASAN_BUILD) -j$(JOBS) --target all zimbrel-tests
	@cd $(ASAN_BUILD) && $(SANITIZER_ENV) ctest --output-on-failure -j$(JOBS) -E tst_packaging

# Each libFuzzer target for FUZZ_SECONDS, starting from its corpus in fuzz/corpus/.
fuzz: deps
	@scripts/install-deps.sh fuzz
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZIMBREL_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ_BUILD) -j$(JOBS) --target fuzzers
	@$(SANITIZER_ENV) scripts/fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# clang-tidy's bug-prone and performance checks (.clang-tidy) over the programs' sources; a
# finding fails. The build comes first: the checks read Qt's generated sources too.
tidy: build
	@scripts/install-deps.sh tidy
	@git ls-files 'src/*.cpp' | xargs -P$(JOBS) -n4 clang-tidy -p $(BUILD) --quiet 2>/dev/null
	@echo "clang-tidy: no findings"

# Every C++ file as clang-format (.clang-format) would write it; CI runs it.
format-check:
	@scripts/install-deps.sh tidy
	@git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
	@echo "clang-format: every file as it would write it"

# The locale data the programs read numbers with, asked of the installed Qt anew
# (src/core/localenumbers_table.inc, committed).
locale-table: deps-build configure
	@cmake --build $(BUILD) -j$(JOBS) --target locale-table

# Only the figures go to standard output; installing, building and Qt's warnings go to standard error.
bench:
	@$(MAKE) deps build >&2
	@cmake --build $(BUILD) -j$(JOBS) --target zimbrel-bench >&2
	@$(BUILD)/bin/zimbrel-bench
	@bench/wayland_clipboard_bench.sh $(BUILD)/bin

# A .deb for /usr in $(BUILD)/: sudo apt-get install ./$(BUILD)/zimbrel_*.deb
package: deps-package configure
	@cmake --build $(BUILD) -j$(JOBS)
	@cd $(BUILD) && cpack -G DEB
	@ls $(BUILD)/zimbrel_*.deb

install: build
	@cmake --install $(BUILD) --prefix $(PREFIX)

# Takes away what the last make install of this build put in place.
uninstall:
	@cmake -DMANIFEST=$(BUILD)/install_manifest.txt -P cmake/uninstall.cmake

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
