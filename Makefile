# Quick start: `make run` opens the album manager, `make test` runs every test.
BUILD_DIR ?= build
PROGRAM_DIR ?= $(CURDIR)/bin
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS = -DCMAKE_BUILD_TYPE=Release -DQUILBO_PROGRAM_DIR=$(PROGRAM_DIR)

.PHONY: all deps configure build run test bench clean

all: build

deps:
	@bash tools/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@$(PROGRAM_DIR)/quilbo

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

bench: deps
	@cmake -S . -B $(BUILD_DIR)-bench $(CMAKE_FLAGS) -DQUILBO_BENCH=ON -DBUILD_TESTING=OFF >/dev/null
	@cmake --build $(BUILD_DIR)-bench -j $(JOBS)

# Removes build products only; the album store in $(PROGRAM_DIR)/date is kept.
clean:
	@if [ -d $(BUILD_DIR) ]; then cmake --build $(BUILD_DIR) --target clean; fi
