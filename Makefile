# Quick start: `make run` opens the album manager, `make test` runs every test.
BUILD_DIR ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS = -DCMAKE_BUILD_TYPE=Release

.PHONY: all deps test-deps configure build program run test package install bench clean

all: build

deps:
	@bash tools/install-deps.sh run

test-deps:
	@bash tools/install-deps.sh test

configure: deps
	@cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

# The program alone (with the helper it starts), not the tests and tools.
program: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target quilbo

# The program on your own album store, ~/.local/share/quilbo2009/pdate.pdb,
# made empty on your first start.
run: program
	@$(BUILD_DIR)/bin/quilbo

test: test-deps build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# A Debian package in $(BUILD_DIR)/, for `sudo apt install ./quilbo2009_*.deb`.
package: build
	@cd $(BUILD_DIR) && cpack -G DEB >/dev/null && ls $(CURDIR)/$(BUILD_DIR)/quilbo2009_*.deb

install: build
	@cmake --install $(BUILD_DIR)

bench: test-deps
	@cmake -S . -B $(BUILD_DIR)-bench $(CMAKE_FLAGS) -DQUILBO_BENCH=ON -DBUILD_TESTING=OFF >/dev/null
	@cmake --build $(BUILD_DIR)-bench -j $(JOBS)

# Removes build products only; no album store lives in the build folders.
clean:
	@if [ -d $(BUILD_DIR) ]; then cmake --build $(BUILD_DIR) --target clean; fi
