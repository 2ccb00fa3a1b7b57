# Thin wrapper over CMake.
BUILD ?= build
ASAN_BUILD ?= build-asan
PREFIX ?= /usr/local
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
WERROR := $(if $(CI),ON,OFF)
FORMAT_FILES = $(shell git ls-files '*.cpp' '*.h' 2>/dev/null)

FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60

BENCH_SIZES ?= 1 10 100

.PHONY: all test run asan bench microbench fuzz fuzz-run format format-check install clean

all:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DPENDRA_WERROR=$(WERROR) >/dev/null
	cmake --build $(BUILD) -j $(JOBS)

test: all
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

run: all
	$(BUILD)/pendra examples/sample.tex
	@echo "Converted examples/sample.tex; the document is in examples/sample.mif"

asan:
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DPENDRA_SANITIZE=ON -DPENDRA_WERROR=$(WERROR) >/dev/null
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

# Converts generated articles of BENCH_SIZES megabytes with the release build; per size the median
# of three runs: wall time, MB/s, peak memory and the two stages.
bench: all
	cmake --build $(BUILD) -j $(JOBS) --target pendra_bench
	$(BUILD)/pendra_bench $(BUILD)/pendra $(BENCH_SIZES)

# Google Benchmark over in-memory data: tokenizer, MLP translation, MIF writer, MIF check.
microbench: all
	cmake --build $(BUILD) -j $(JOBS) --target pendra_microbench
	$(BUILD)/pendra_microbench --benchmark_repetitions=3 --benchmark_report_aggregates_only=true

# libFuzzer targets (clang, ASan and UBSan): fuzz_latex, fuzz_mlp, fuzz_mif in $(FUZZ_BUILD)/.
fuzz:
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPENDRA_FUZZ=ON -DPENDRA_TESTS=OFF >/dev/null
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_latex fuzz_mlp fuzz_mif
	@echo "fuzz targets in $(FUZZ_BUILD)/; make fuzz-run FUZZ_SECONDS=1800 runs each in turn"

# Runs each target for FUZZ_SECONDS on a scratch copy of its seed corpus; findings land in
# $(FUZZ_BUILD)/findings/.
fuzz-run: fuzz
	@for t in latex mlp mif; do \
	  mkdir -p $(FUZZ_BUILD)/corpus-$$t $(FUZZ_BUILD)/findings; \
	  cp -n fuzz/corpus/$$t/* $(FUZZ_BUILD)/corpus-$$t/ 2>/dev/null; \
	  $(FUZZ_BUILD)/fuzz_$$t $(FUZZ_BUILD)/corpus-$$t -max_total_time=$(FUZZ_SECONDS) -timeout=30 \
	    -rss_limit_mb=4096 -artifact_prefix=$(FUZZ_BUILD)/findings/$$t- -print_final_stats=1 || exit 1; \
	done

format:
	clang-format -i $(FORMAT_FILES)

format-check:
	clang-format --dry-run -Werror $(FORMAT_FILES)

install: all
	cmake --install $(BUILD) --prefix $(PREFIX)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
