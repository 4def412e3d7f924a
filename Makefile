# The commands of the README. Each one installs what is missing (apt-get as root), configures,
# builds, then acts.
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
E2E_BUILD  ?= build-e2e
E2E_PORT   ?= 18443
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=

.PHONY: all deps build run test test-only test-asan screenshots walk bench e2e fuzz fuzz-run clean

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

# Every test (the view tests, the screenshot tour and the newcomer's walk also in a real window
# on Xvfb), then the same tests again built with AddressSanitizer and UBSan, offscreen only.
test: build
	scripts/run-tests.sh $(BUILD)
	$(MAKE) test-asan

test-only: build
	scripts/run-tests.sh $(BUILD)

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZELTRIN_SANITIZE=ON \
	  -DZELTRIN_BUILD_TOOLS=OFF -DZELTRIN_BUILD_BENCH=OFF $(CMAKE_ARGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:halt_on_error=1:fast_unwind_on_malloc=0 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0 \
	UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	  scripts/run-tests.sh $(ASAN_BUILD)

screenshots: build
	$(BUILD)/zeltrin-tour out/screenshots

# The newcomer's walk alone: the real app under Xvfb, screenshots in out/walk/.
walk: build
	scripts/run-tests.sh $(BUILD) -R '^walk$$'

# Startup offscreen and in a real window on both renderers; the planner on the software scene
# graph, and on OpenGL at a phone's pixel ratio.
XVFB := xvfb-run -a -s "-screen 0 1366x1024x24"
bench: build
	$(BUILD)/bench/startup-bench
	$(XVFB) $(BUILD)/bench/startup-bench 20 xcb
	$(XVFB) env QT_QUICK_BACKEND=software $(BUILD)/bench/startup-bench 20 xcb
	$(BUILD)/bench/mission/mission-bench 600
	$(XVFB) $(BUILD)/bench/mission/mission-bench --gl --dpr 3 90

# Signs in with the real app under Xvfb against the development account service, then restarts
# it and checks the session comes back from the Secret Service (scripts/e2e-signin.sh). Its own
# build folder, pointed at the service on 127.0.0.1:$(E2E_PORT); not part of `make test`.
e2e:
	@scripts/ensure-deps.sh --e2e
	cmake -S . -B $(E2E_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DZELTRIN_BUILD_TESTS=OFF -DZELTRIN_BUILD_BENCH=OFF \
	  -DZELTRIN_ACCOUNT_BASE_URL=https://127.0.0.1:$(E2E_PORT)/v1 \
	  -DZELTRIN_ACCOUNT_EXTRA_CA=$(abspath $(E2E_BUILD))/dev-service-state/ca.crt $(CMAKE_ARGS)
	cmake --build $(E2E_BUILD) -j $(JOBS) --target zeltrin-pilot dev-account-service
	scripts/e2e-signin.sh $(E2E_BUILD)

# libFuzzer targets (clang, ASan + UBSan) for the parsers; not part of `make test`.
FUZZ_TARGETS ?= snakecase decoders colorfromhex plan waypoints kml kmz geojson gpx zonetab logbookfile mbtiles elevationtile geotiff missionjson
FUZZ_SECONDS ?= 600
FUZZ_RUNS    ?= 10000000

fuzz:
	@scripts/ensure-deps.sh --fuzz
	cmake -S fuzz -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	@echo "Built $(FUZZ_TARGETS:%=$(FUZZ_BUILD)/fuzz_%); run them with: make fuzz-run"

# Each target in turn for FUZZ_RUNS inputs or FUZZ_SECONDS, whichever comes first.
fuzz-run: fuzz
	@for t in $(FUZZ_TARGETS); do \
	  mkdir -p $(FUZZ_BUILD)/corpus/$$t $(FUZZ_BUILD)/findings/$$t; \
	  cp -n fuzz/seeds/$$t/* $(FUZZ_BUILD)/corpus/$$t/ 2>/dev/null || true; \
	  dict=; [ -f fuzz/$$t.dict ] && dict=-dict=fuzz/$$t.dict; \
	  echo "== fuzz_$$t"; \
	  $(FUZZ_BUILD)/fuzz_$$t $$dict -runs=$(FUZZ_RUNS) -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	    -artifact_prefix=$(FUZZ_BUILD)/findings/$$t/ $(FUZZ_BUILD)/corpus/$$t || exit 1; \
	done

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(E2E_BUILD) out
