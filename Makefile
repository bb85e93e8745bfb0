# make run    installs what is missing, builds and starts Zuvi
# make test   installs what is missing, builds and runs every test (plain and sanitized)
#             and a short run of the fuzzers
# make bench  builds an optimised copy and runs the benchmark
# make screens renders every window into screens/*.png

JOBS ?= $(shell nproc)
BUILD := build
ASAN_BUILD := build-asan
BENCH_BUILD := build-release
FUZZ_BUILD := build-fuzz
# Seconds each of the four fuzz targets runs in make test.
FUZZ_SECONDS ?= 15

.PHONY: deps run build test test-plain test-sanitize test-fuzz bench screens clean format

deps:
	@bash tools/install-deps.sh

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/src/zuvi

test-plain: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-sanitize: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DZUVI_SANITIZE=ON -DZUVI_BUILD_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
		ctest --output-on-failure -j $(JOBS) -LE nosanitize

# The fuzz targets need clang: a build of their own with the fuzzer's coverage and both
# sanitizers, each target run for a bounded time on a copy of its committed corpus.
test-fuzz: deps
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
		-DZUVI_FUZZ=ON -DZUVI_BUILD_TESTS=OFF -DZUVI_BUILD_BENCH=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target zuvi_fuzzers
	bash fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

test: test-plain test-sanitize test-fuzz

bench: deps
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DZUVI_BUILD_TESTS=OFF
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target zuvi-bench
	./$(BENCH_BUILD)/bench/zuvi-bench

screens: build
	./$(BUILD)/tools/screens/zuvi-screens screens

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD) $(FUZZ_BUILD)
