# The README's commands: `make run` (the main job) and `make test`.
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_JOBS ?= 3
JOBS       ?= $(shell nproc)
# CI's builds (.ci/run) make every warning an error: WERROR=ON.
WERROR     ?= OFF
CMAKE_GEN  := -G Ninja
export QT_QPA_PLATFORM ?= offscreen

.PHONY: all setup build asan test run bench fuzz fuzz-setup clean

# A build folder configured before keeps its choice of QM_WERROR until told otherwise.
werror = @grep -qx 'QM_WERROR:BOOL=$(WERROR)' $(1)/CMakeCache.txt || cmake -S . -B $(1) -DQM_WERROR=$(WERROR) >/dev/null

all: build

setup:
	@bash tools/setup.sh

$(BUILD)/build.ninja: | setup
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQM_WERROR=$(WERROR)

build: setup $(BUILD)/build.ninja
	$(call werror,$(BUILD))
	cmake --build $(BUILD) -j $(JOBS)

$(ASAN_BUILD)/build.ninja: | setup
	cmake -S . -B $(ASAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DQM_SANITIZE=ON -DQM_WERROR=$(WERROR)

asan: setup $(ASAN_BUILD)/build.ninja
	$(call werror,$(ASAN_BUILD))
	cmake --build $(ASAN_BUILD) -j $(JOBS) --target asan_tests

# Both test runs always run; the result is a failure when either failed.
test: build asan
	@status=0; \
	(cd $(BUILD) && ctest --output-on-failure -j $(JOBS)) || status=1; \
	(cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS) -L asan) || status=1; \
	exit $$status

run: build
	@bash tools/run-example.sh $(BUILD)

bench: setup $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS) --target benches
	@for b in $(BUILD)/bin/bench_*; do [ -x "$$b" ] && echo "== $$b" && "$$b" || exit 1; done

# Builds the fuzz targets with clang and libFuzzer and runs each for FUZZ_SECONDS (FUZZ_JOBS at a time),
# printing executions, coverage and findings; FUZZ_TARGETS names some of them (default: all).
fuzz-setup:
	@bash tools/setup.sh fuzz

$(FUZZ_BUILD)/build.ninja: | fuzz-setup
	cmake -S . -B $(FUZZ_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DQM_FUZZ=ON -DQM_WERROR=$(WERROR)

fuzz: fuzz-setup $(FUZZ_BUILD)/build.ninja
	$(call werror,$(FUZZ_BUILD))
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_targets
	@bash fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZ_JOBS) $(FUZZ_TARGETS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
