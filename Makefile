# Ravenmark's everyday commands. Each installs the Debian 12 packages it needs first (scripts/setup.sh).
#
#   make run          build into build/ and start the program (make run ARGS=bypass skips the splash)
#   make test         build and run every test, also under AddressSanitizer and UBSan
#   make build        build into build/
#   make bench        build the benchmarks into build-bench/ and run them
#   make fuzz         build the fuzzers with clang into build-fuzz/ and run each for FUZZ_SECONDS (60)
#   make soak         run the real program on a virtual X server for SOAK_MINUTES (20) under a stream of keys
#   make format       format src, tests, bench and fuzz with clang-format
#   make format-check fail when a file is not formatted
#   make screenshots  take docs/screenshots/splash.png and board.png on a virtual X server
#   make setup        only install the packages
#   make clean        remove the build folders

ARGS ?=
FUZZ_SECONDS ?= 60
SOAK_MINUTES ?= 20
CLANG_FORMAT ?= clang-format
FORMATTED = $(shell find src tests bench fuzz \( -name '*.cpp' -o -name '*.h' \) 2>/dev/null)

.PHONY: run test build bench fuzz soak format format-check screenshots setup clean

run:
	scripts/run.sh $(ARGS)

test:
	scripts/test.sh

build: setup
	scripts/build.sh build

bench:
	scripts/bench.sh

fuzz:
	scripts/fuzz.sh $(FUZZ_SECONDS)

soak:
	scripts/soak-x11.sh $(SOAK_MINUTES)

format:
	scripts/setup.sh format
	$(CLANG_FORMAT) -i $(FORMATTED)

format-check:
	scripts/setup.sh format
	$(CLANG_FORMAT) --dry-run --Werror $(FORMATTED)

screenshots:
	scripts/screenshots.sh

setup:
	scripts/setup.sh

clean:
	rm -rf build build-asan build-bench build-fuzz
