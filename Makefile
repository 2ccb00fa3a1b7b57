# Thin wrapper over CMake.
BUILD ?= build
ASAN_BUILD ?= build-asan
PREFIX ?= /usr/local
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
WERROR := $(if $(CI),ON,OFF)
FORMAT_FILES = $(shell git ls-files '*.cpp' '*.h' 2>/dev/null)

.PHONY: all test run asan format format-check install clean

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

format:
	clang-format -i $(FORMAT_FILES)

format-check:
	clang-format --dry-run -Werror $(FORMAT_FILES)

install: all
	cmake --install $(BUILD) --prefix $(PREFIX)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
