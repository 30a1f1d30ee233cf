# Read CONTRIBUTING.md before changing anything.
# The two commands of the README: `make play` and `make test`.
# Everything they need is installed by tools/install-deps.

JOBS ?= $(shell nproc)
# -noreset: by default the server resets whenever its last client leaves, and a
# test program starting just then cannot open the display.
XVFB = xvfb-run -a -s "-screen 0 1280x1024x24 -noreset"
CMAKE_FLAGS ?=

.PHONY: all deps build play dist test test-release test-sanitize test-tsan format format-check bench fuzz clean

all: build

deps:
	@tools/install-deps

build: deps
	cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS) >/dev/null
	cmake --build build -j $(JOBS)

play: build
	@tools/play

# Quillowen as one file, its media appended: runs from any folder.
dist: build
	cmake --build build --target quillowen-dist
	@echo "The one-file game: build/dist/quillowen"

test: deps format-check test-release test-sanitize

test-release: build
	cd build && $(XVFB) ctest --output-on-failure -j $(JOBS)

test-sanitize: deps
	cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DVORLAN_SANITIZE=ON -DVORLAN_BENCH=OFF >/dev/null
	cmake --build build-sanitize -j $(JOBS)
	cd build-sanitize && $(XVFB) ctest --output-on-failure -j $(JOBS)

# The network tests under ThreadSanitizer; apart from `make test` to keep
# CI's time down.
test-tsan: deps
	cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORLAN_TSAN=ON -DVORLAN_BENCH=OFF >/dev/null
	cmake --build build-tsan -j $(JOBS) --target net_tests
	cd build-tsan && TSAN_OPTIONS=halt_on_error=1 bin/net_tests

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

# Also refuses a merge's leftover conflict markers anywhere in the tree, and
# an include that reaches up a layer.
format-check: deps
	git ls-files '*.cpp' '*.h' | xargs -r clang-format --dry-run --Werror
	@! git grep -n -I -E '^(<<<<<<< |>>>>>>> )' -- . || { echo "conflict markers left by a merge"; exit 1; }
	@tools/check-layers

bench: build
	@for b in build/bin/*_bench; do echo "== $$b"; $$b; done

fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DVORLAN_SANITIZE=ON -DVORLAN_FUZZ=ON -DVORLAN_BENCH=OFF >/dev/null
	cmake --build build-fuzz -j $(JOBS)

clean:
	rm -rf build build-sanitize build-fuzz
