# make run   : install what is missing, build (Release), start vorqview
# make test  : install what is missing, build, run every test headless
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
JOBS       ?= $(shell nproc)
FUZZ_SECONDS ?= 45
PREFIX     ?= /usr/local
HTTPS      ?=
FLAKY      ?=

.PHONY: all deps build run test asan-test fuzz format format-check bench bench-build demo install deb install-check clean

all: build

deps:
	@scripts/install-deps

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/src/app/vorqview

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

asan-test: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVORQ_SANITIZE=ON -DVORQ_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

fuzz: deps
	CXX=clang++-14 cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORQ_FUZZ=ON
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	scripts/run-fuzz $(FUZZ_BUILD) $(FUZZ_SECONDS)

# Benchmarks are built on demand only (make bench-build builds, make bench
# builds and runs them).
bench-build: build
	cmake --build $(BUILD) -j $(JOBS) --target benchmarks

bench: bench-build
	scripts/run-bench $(BUILD)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check:
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
	scripts/check-layers

# make demo : vorqview on scratch folders, importing from a local chart site
demo: build
	HTTPS=$(HTTPS) FLAKY=$(FLAKY) scripts/demo $(BUILD)

# make install PREFIX=DIR (DESTDIR=... for staging); make deb : the Debian
# package in $(BUILD)/; make install-check : what CI checks of both
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

deb: build
	cd $(BUILD) && cpack -G DEB

install-check: build
	scripts/check-install $(BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
