# The two commands of the README: `make demo` and `make test`.
# Each builds what it needs and installs missing Debian packages when run as root.

FUZZ_SECONDS ?= 60
CMAKE ?= cmake
CTEST ?= ctest

.PHONY: all deps build test sanitize bench demo clean

all: build

deps:
	@scripts/install-deps.sh

build: deps
	$(CMAKE) --preset default >/dev/null
	$(CMAKE) --build --preset default

test: build
	$(CTEST) --preset default

sanitize: deps
	$(CMAKE) --preset sanitize >/dev/null
	$(CMAKE) --build --preset sanitize
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 $(CTEST) --preset sanitize
	scripts/run-fuzzers.sh build/sanitize $(FUZZ_SECONDS)

bench: deps
	$(CMAKE) --preset bench >/dev/null
	$(CMAKE) --build --preset bench
	scripts/run-benchmarks.sh build/bench

demo: build
	scripts/demo.sh build/default

clean:
	rm -rf build
