# Entry points for people: build, run, test, benchmark. CMake + Ninja do the work.
BUILD      ?= build
ASAN_BUILD ?= build-asan
CMAKE_GEN  := -G Ninja
JOBS       ?= $(shell nproc)

.PHONY: deps build run test test-fast test-asan bench clean

deps:
	./scripts/install-deps.sh

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/varno --help

# Every suite twice: the normal build, then under AddressSanitizer + UndefinedBehaviorSanitizer.
test: test-fast test-asan

test-fast: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

$(ASAN_BUILD)/build.ninja:
	cmake -S . -B $(ASAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DVARNO_SANITIZE=ON -DVARNO_BUILD_BENCH=OFF

test-asan: deps $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

bench: build
	./bench/run.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
