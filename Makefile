# The commands of the README. Each one installs what is missing (apt-get as root), configures,
# builds, then acts.
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=

.PHONY: all deps build run test test-only test-asan screenshots bench fuzz clean

all: build

deps:
	@scripts/ensure-deps.sh

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "No display found: running the app under xvfb-run (invisible). Set DISPLAY to see the window."; \
	  xvfb-run -a $(BUILD)/zeltrin-pilot; \
	else \
	  $(BUILD)/zeltrin-pilot; \
	fi

# Every test, then the same tests again built with AddressSanitizer and UBSan.
test: build
	scripts/run-tests.sh $(BUILD)
	$(MAKE) test-asan

test-only: build
	scripts/run-tests.sh $(BUILD)

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZELTRIN_SANITIZE=ON \
	  -DZELTRIN_BUILD_TOOLS=OFF -DZELTRIN_BUILD_BENCH=OFF $(CMAKE_ARGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:halt_on_error=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0 \
	UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	  scripts/run-tests.sh $(ASAN_BUILD)

screenshots: build
	$(BUILD)/zeltrin-tour out/screenshots

bench: build
	$(BUILD)/bench/startup-bench

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) out
