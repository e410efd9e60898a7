# The README's commands. Both install what they need first, so they work on a fresh Debian 12.
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
JOBS       ?= $(shell nproc)
FUZZ_SECONDS ?= 60

.PHONY: deps configure build test test-plain test-asan run fuzz-build fuzz fuzz-smoke clean

# What `make run` starts, and all it needs: the two programs, the manual and the sample player.
RUN_TARGETS = harrowin harrowincast harrowin_manual sample_player

deps:
	@bash scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test-plain: build
	QT_QPA_PLATFORM=offscreen ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The same tests again under AddressSanitizer and UndefinedBehaviorSanitizer; any report fails.
test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DHARROWIN_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	QT_QPA_PLATFORM=offscreen \
	ASAN_OPTIONS=abort_on_error=1:detect_leaks=1:halt_on_error=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0 \
	UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

test: test-plain test-asan

# The same build folder as the tests, so a later `make test` only adds the tests and benchmarks.
run: configure
	cmake --build $(BUILD) -j $(JOBS) --target $(RUN_TARGETS)
	@bash scripts/run-harrowin.sh $(BUILD)

# The libFuzzer targets, built with clang; `make fuzz` runs each for FUZZ_SECONDS (in parallel).
fuzz-build: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHARROWIN_FUZZ=ON
	cmake --build $(FUZZ_BUILD) -j $(JOBS)

fuzz: fuzz-build
	bash scripts/run-fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# The short run CI makes after the tests: every target 10 s over its seeds.
fuzz-smoke: fuzz-build
	bash scripts/run-fuzz.sh $(FUZZ_BUILD) 10

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
