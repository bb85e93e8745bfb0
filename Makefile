# make run    installs what is missing, builds and starts Zuvi
# make test   installs what is missing, builds and runs every test (plain and sanitized)
#             and a short run of the fuzzers
# make bench  builds an optimised copy, runs the benchmark and keeps its table in
#             bench/results.md (fails when a target is missed; make bench-report only
#             prints the table)
# make reliability-report runs the fault, bad-input, crash (KILLS kills) and fuzz suites
#             and keeps their figures in tests/reliability/results.md
# make screens renders every window into screens/*.png
# make package builds the Debian package (build-package/zuvi_*.deb)

JOBS ?= $(shell nproc)
BUILD := build
ASAN_BUILD := build-asan
BENCH_BUILD := build-release
FUZZ_BUILD := build-fuzz
PACKAGE_BUILD := build-package
# Seconds each of the fuzz targets runs in make test.
FUZZ_SECONDS ?= 15
# Kills of the crash test in make reliability-report (make test runs 100).
KILLS ?= 100

.PHONY: deps run build bench-report test test-format test-plain test-sanitize test-fuzz test-package package bench screens \
	clean format fuzz-build reliability-report bench-build

deps:
	@bash tools/install-deps.sh

# The plain build treats every compiler warning as an error.
$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_COMPILE_WARNING_AS_ERROR=ON

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
fuzz-build: deps
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
		-DZUVI_FUZZ=ON -DZUVI_BUILD_TESTS=OFF -DZUVI_BUILD_BENCH=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target zuvi_fuzzers

test-fuzz: fuzz-build
	bash fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# The figures of the reliability suites, kept with the date, commit and machine.
reliability-report: build fuzz-build
	bash tools/record-results.sh tests/reliability/results.md "Reliability suites" \
		"make reliability-report KILLS=$(KILLS)" -- \
		bash tests/reliability/report.sh $(BUILD) $(FUZZ_BUILD) $(KILLS) $(FUZZ_SECONDS)

# The .deb: an optimised build with Debian's hardening flags, only the program and its
# documents, then CPack. cmake --install is what it packages.
package: deps
	@ZUVI_PACKAGING=1 bash tools/install-deps.sh
	cmake -S . -B $(PACKAGE_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZUVI_BUILD_TESTS=OFF \
		-DZUVI_BUILD_BENCH=OFF -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
		-DCMAKE_CXX_FLAGS="$$(dpkg-buildflags --get CPPFLAGS) $$(dpkg-buildflags --get CXXFLAGS)" \
		-DCMAKE_EXE_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)"
	cmake --build $(PACKAGE_BUILD) -j $(JOBS) --target zuvi zuvi_documents
	rm -f $(PACKAGE_BUILD)/zuvi_*.deb
	cd $(PACKAGE_BUILD) && cpack -G DEB

# What can be checked of the package without a desktop (the package is never installed).
test-package: package
	bash packaging/check-package.sh $(PACKAGE_BUILD)

# The committed sources are formatted as the committed .clang-format says.
test-format:
	clang-format --dry-run --Werror $$(git ls-files '*.cpp' '*.h')

test: test-format test-plain test-sanitize test-fuzz test-package

bench-build: deps
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DZUVI_BUILD_TESTS=OFF
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target zuvi-bench

bench: bench-build
	bash tools/record-results.sh bench/results.md "Benchmark" "make bench" -- \
		./$(BENCH_BUILD)/bench/zuvi-bench

# The benchmark's table only: exits 0 even where a target is missed.
bench-report: bench-build
	./$(BENCH_BUILD)/bench/zuvi-bench --report-only

screens: build
	./$(BUILD)/tools/screens/zuvi-screens screens

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD) $(FUZZ_BUILD) $(PACKAGE_BUILD)
