# Kavro Config: `make run` builds and starts the program with simulated devices;
# `make test` builds with sanitizers and runs the whole test suite.
JOBS ?= $(shell nproc)
GEN := -G Ninja
# ccache, where installed, keeps rebuilds of unchanged files cheap.
CCACHE := $(shell command -v ccache 2>/dev/null)
ifneq ($(CCACHE),)
GEN += -DCMAKE_C_COMPILER_LAUNCHER=$(CCACHE) -DCMAKE_CXX_COMPILER_LAUNCHER=$(CCACHE)
endif
RELEASE := build/release
ASAN := build/asan
TSAN := build/tsan
FUZZ := build/fuzz

.PHONY: deps build run test test-asan test-tsan test-fuzz bench install clean

deps:
	@sh scripts/install-deps.sh

build: deps
	cmake -S . -B $(RELEASE) $(GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKAVRO_TESTS=OFF -DKAVRO_BENCH=OFF
	cmake --build $(RELEASE) -j $(JOBS)

run: build
	$(RELEASE)/bin/kavro-config --simulate=all

test: deps test-asan test-tsan test-fuzz

test-asan:
	cmake -S . -B $(ASAN) $(GEN) -DCMAKE_BUILD_TYPE=Debug -DKAVRO_SANITIZE=asan -DKAVRO_BENCH=OFF
	cmake --build $(ASAN) -j $(JOBS)
	cd $(ASAN) && ctest --output-on-failure -j $(JOBS) -LE fuzz

# The threaded tests of the Qt-free core again under ThreadSanitizer.
test-tsan:
	cmake -S . -B $(TSAN) $(GEN) -DCMAKE_BUILD_TYPE=Debug -DKAVRO_SANITIZE=tsan -DKAVRO_CORE_ONLY=ON -DKAVRO_BENCH=OFF
	cmake --build $(TSAN) -j $(JOBS)
	cd $(TSAN) && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -j $(JOBS) -L threaded

# Short libFuzzer runs of the parsers that read outside input.
test-fuzz:
	cmake -S . -B $(FUZZ) $(GEN) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DKAVRO_CORE_ONLY=ON -DKAVRO_FUZZ=ON -DKAVRO_TESTS=OFF -DKAVRO_BENCH=OFF
	cmake --build $(FUZZ) -j $(JOBS)
	cd $(FUZZ) && ctest --output-on-failure -L fuzz

bench: deps
	cmake -S . -B build/bench $(GEN) -DCMAKE_BUILD_TYPE=Release -DKAVRO_TESTS=OFF -DKAVRO_BENCH=ON
	cmake --build build/bench -j $(JOBS)
	for b in build/bench/bin/bench_*; do $$b; done

install: build
	cmake --install $(RELEASE)

clean:
	rm -rf build
