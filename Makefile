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
FUZZ_SECONDS ?= 60

.PHONY: all deps configure build run run-settings test test-stress test-sanitize fuzz bench install clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=$(PREFIX) >/dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

run: build
	@BUILD=$(BUILD) scripts/run.sh generator

run-settings: build
	@BUILD=$(BUILD) scripts/run.sh settings

test: build
	@cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

# The tests that drive real X servers and programs, repeated while both cores are kept busy: a
# test whose outcome depends on timing shows up here.
test-stress: build
	@scripts/stress.sh $(BUILD) $(STRESS_REPEAT)

# The whole suite built with AddressSanitizer and UndefinedBehaviorSanitizer, leak checking on.
test-sanitize: deps
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZIMBREL_SANITIZE=ON >/dev/null
	@cmake --build $(ASAN_BUILD) -j$(JOBS)
	@cd $(ASAN_BUILD) && $(SANITIZER_ENV) ctest --output-on-failure -j$(JOBS)

# Each libFuzzer target for FUZZ_SECONDS, starting from its corpus in fuzz/corpus/.
fuzz: deps
	@scripts/install-deps.sh fuzz
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZIMBREL_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ_BUILD) -j$(JOBS) --target fuzzers
	@$(SANITIZER_ENV) scripts/fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

bench: build
	@$(BUILD)/bin/zimbrel-bench

install: build
	@cmake --install $(BUILD) --prefix $(PREFIX)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
