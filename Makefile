# The commands of the README. Each one first installs what is missing and builds.
BUILD ?= build
PREFIX ?= /usr/local
MAKEFLAGS += --no-print-directory
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps configure build run run-settings test bench install clean

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

bench: build
	@$(BUILD)/bin/zimbrel-bench

install: build
	@cmake --install $(BUILD) --prefix $(PREFIX)

clean:
	rm -rf $(BUILD)
