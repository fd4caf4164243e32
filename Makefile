# The two commands a newcomer needs: `make run` and `make test`. Both install what is missing first.
.PHONY: all deps build run test sanitize fuzz bench gallery format clean

JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60

all: build

deps:
	@scripts/install-deps

build: deps
	@cmake --preset default >/dev/null
	@cmake --build --preset default -j $(JOBS)

run: build
	@scripts/run-pagiscopo build/default

test: deps
	@cmake --preset testing >/dev/null
	@cmake --build --preset testing -j $(JOBS)
	@ctest --preset testing -j $(JOBS)

sanitize: deps
	@cmake --preset sanitize >/dev/null
	@cmake --build --preset sanitize -j $(JOBS)
	@ctest --preset sanitize -j $(JOBS)

# libFuzzer targets built by clang, each run for FUZZ_SECONDS (scripts/run-fuzzers says where
# findings go).
fuzz: deps
	@scripts/install-deps fuzz
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz -j $(JOBS)
	@scripts/run-fuzzers build/fuzz $(FUZZ_SECONDS)

bench: deps
	@cmake --preset release >/dev/null
	@cmake --build --preset release -j $(JOBS)
	@build/release/bench/pagiscopo-bench
	@build/release/bench/button-bench

gallery: build
	@build/default/src/customButton/button-gallery gallery.png && echo "gallery: wrote $(CURDIR)/gallery.png"

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
