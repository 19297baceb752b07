# Two entry points for a fresh Debian 12 machine: `make run` and `make test`.
# Both install what is missing first (scripts/install-deps).

PRESETS := default asan
CMAKE_FLAGS := $(if $(CI),-DBRELVIK_WARNINGS_AS_ERRORS=ON,)

.PHONY: run test build deps bench fuzz format clean

deps:
	@scripts/install-deps

build: deps
	@cmake --preset default $(CMAKE_FLAGS) >/dev/null
	@cmake --build --preset default

run: build
	@./build/default/src/ui/brelvik

test: deps
	@set -e; for preset in $(PRESETS); do \
	  echo "== $$preset: configure and build"; \
	  cmake --preset $$preset $(CMAKE_FLAGS) >/dev/null; \
	  cmake --build --preset $$preset; \
	  echo "== $$preset: test"; \
	  ctest --preset $$preset; \
	done

bench: build
	@bench/run

# Each fuzz target for FUZZ_SECONDS (libFuzzer; needs clang, skipped without it).
FUZZ_SECONDS ?= 60
fuzz: deps
	@tools/fuzz $(FUZZ_SECONDS)

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf build
