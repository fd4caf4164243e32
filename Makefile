# The two commands a newcomer needs: `make run` and `make test`. Both install what is missing first.
.PHONY: all deps build run test sanitize fuzz bench gallery package format clean

JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60
FUZZ_TARGETS ?=

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

# libFuzzer targets built by clang, each run for FUZZ_SECONDS; FUZZ_TARGETS names some of them
# (e.g. FUZZ_TARGETS=slot_file), all when empty. scripts/run-fuzzers says where findings go.
fuzz: deps
	@scripts/install-deps fuzz
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz -j $(JOBS)
	@scripts/run-fuzzers build/fuzz $(FUZZ_SECONDS) $(FUZZ_TARGETS)

bench: deps
	@cmake --preset release >/dev/null
	@cmake --build --preset release -j $(JOBS)
	@build/release/bench/pagiscopo-bench
	@build/release/bench/button-bench

gallery: build
	@build/default/src/customButton/button-gallery gallery.png && echo "gallery: wrote $(CURDIR)/gallery.png"

# The Debian package, from a release build made with the flags Debian builds its own packages with
# (hardening included); lintian then lists what it finds and stops on errors.
DEB_FLAGS = DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get
package: deps
	@cmake --preset package >/dev/null \
		-DCMAKE_CXX_FLAGS="$$($(DEB_FLAGS) CXXFLAGS) $$($(DEB_FLAGS) CPPFLAGS)" \
		-DCMAKE_EXE_LINKER_FLAGS="$$($(DEB_FLAGS) LDFLAGS)"
	@cmake --build --preset package -j $(JOBS)
	@cd build/package && cpack -G DEB
	@lintian --fail-on error build/package/pagiscopo_*.deb
	@echo "package: wrote $$(ls $(CURDIR)/build/package/pagiscopo_*.deb)"

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
