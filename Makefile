# Two entry points for a fresh Debian 12 machine: `make run` and `make test`.
# Both install what is missing first (scripts/install-deps).

PRESETS := default asan
CMAKE_FLAGS := $(if $(CI),-DBRELVIK_WARNINGS_AS_ERRORS=ON,)

.PHONY: run test cli-only build program deps bench fuzz install uninstall package check-install format clean

deps:
	@scripts/install-deps

build: deps
	@cmake --preset default $(CMAKE_FLAGS) >/dev/null
	@cmake --build --preset default

# Builds the program alone, quietly (the compiler's output only when it fails).
program: deps
	@cmake --preset default $(CMAKE_FLAGS) >/dev/null
	@echo "building brelvik..."
	@cmake --build --preset default --target brelvik brelvik-split brelvik_desktop_files \
	  >build/default/program-build.log 2>&1 || { cat build/default/program-build.log; exit 1; }

run: program
	@./build/default/src/ui/brelvik

# PREFIX=/usr/local by default; `sudo make install` to install system-wide.
PREFIX ?= /usr/local
# What `make install` put in place is kept apart from CMake's own manifest,
# which packaging and check-install rewrite for their staging folders.
INSTALLED := build/default/installed-files.txt
install: program
	@cmake --install build/default --prefix "$(PREFIX)"
	@cp build/default/install_manifest.txt $(INSTALLED)

uninstall:
	@test -f $(INSTALLED) || { echo "nothing installed from this tree"; exit 1; }
	@xargs -r -d '\n' rm -fv < $(INSTALLED)
	@rm -f $(INSTALLED)

# The Debian package, in build/package/.
package: program
	@rm -rf build/package
	@cd build/default && cpack
	@ls build/package/*.deb

check-install: program
	@tools/check-install build/default

test: deps
	@set -e; for preset in $(PRESETS); do \
	  echo "== $$preset: configure and build"; \
	  cmake --preset $$preset $(CMAKE_FLAGS) >/dev/null; \
	  cmake --build --preset $$preset; \
	  echo "== $$preset: test"; \
	  ctest --preset $$preset; \
	done

# The command line and its tests built without the window (no Qt, no SDL), in
# a folder of its own.
CLI_ONLY := build/cli-only
cli-only: deps
	@cmake -S . -B $(CLI_ONLY) -DBRELVIK_GUI=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(CLI_ONLY) -j 2 --target brelvik-split brelvik_cli_tests brelvik_session_tests
	@ctest --test-dir $(CLI_ONLY) -j 2 --output-on-failure --timeout 300

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
