# Two commands for a fresh Debian machine, as root:
#   make run   - set up, build, and place Wine's Notepad with tavrisol.exe
#   make test  - set up, build, and run every test (native, fuzz, Wine)
#   make dist  - build, then write the release zip and its SHA256SUMS to dist/
SHELL := /bin/bash

.PHONY: setup build build-native build-win build-fuzz run test test-native test-fuzz test-wine bench dist clean

setup:
	bash scripts/setup.sh

build-native:
	cmake --preset native >/dev/null && cmake --build --preset native

build-win:
	cmake --preset win >/dev/null && cmake --build --preset win

build-fuzz:
	cmake --preset fuzz >/dev/null && cmake --build --preset fuzz

build: build-native build-win

run: setup build-win
	bash scripts/run-main.sh

test-native: build-native
	ctest --preset native

test-fuzz: build-fuzz
	bash fuzz/run.sh 20

test-wine: build-win
	bash scripts/display.sh && bash scripts/lanes.sh && source scripts/env.sh && ctest --preset win

# The three parts at once, each saying how long it took (scripts/test.sh).
test: setup
	@MAKE="$(MAKE)" bash scripts/test.sh

bench: setup build-win
	bash bench/run.sh

dist: setup
	cmake --preset win >/dev/null && cmake --build --preset win --target dist

clean:
	rm -rf build dist
