# Top-level entry points. Every target first makes sure the machine has what the
# build needs (scripts/setup.sh installs only what is missing).
BUILD := $(CURDIR)/build
WIN := $(BUILD)/win
NATIVE := $(BUILD)/native
BENCH := $(BUILD)/bench
FUZZ_SECONDS ?= 30
SOAK_CYCLES ?= 1000
FAULT_CALLS ?= 16

.PHONY: all setup win native dist test soak faults run screenshots fuzz bench format clean

all: win native

setup:
	@bash scripts/setup.sh

win: setup
	@mkdir -p $(BUILD)
	@cmake -S . -B $(WIN) -G Ninja -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/i686-mingw.cmake \
		-DQUIESCOR_BIN_DIR=$(BUILD)/bin -DQUIESCOR_DIST_DIR=$(BUILD)/dist >$(BUILD)/.win-configure.log 2>&1 || \
		(cat $(BUILD)/.win-configure.log; exit 1)
	@cmake --build $(WIN)

# The installer package and the zip are part of the Windows build; this names them.
dist: win
	@ls -1 $(BUILD)/dist/*.msi $(BUILD)/dist/*.zip

native: setup
	@mkdir -p $(BUILD)
	@cmake -S . -B $(NATIVE) -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
		-DQUIESCOR_SANITIZE=ON >$(BUILD)/.native-configure.log 2>&1 || \
		(cat $(BUILD)/.native-configure.log; exit 1)
	@cmake --build $(NATIVE)

test: all
	@bash scripts/run-tests.sh $(BUILD)

# Every user cycle SOAK_CYCLES times under the handle ledger, with the table.
soak: win
	@bash scripts/soak.sh $(BUILD) $(SOAK_CYCLES)

# Each allocation and creation call refused in turn in every user cycle, with the table;
# FAULT_CALLS caps the calls of one function failed in one cycle.
faults: win
	@bash scripts/faults.sh $(BUILD) $(FAULT_CALLS)

run: win
	@bash scripts/run-dock.sh $(BUILD)

# The README's pictures, taken from the real build the way a headless `make run` takes them.
screenshots: win
	@bash scripts/run-dock.sh $(BUILD) $(CURDIR)/docs/images

bench: win
	@mkdir -p $(BUILD)
	@cmake -S . -B $(BENCH) -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
		-DCMAKE_BUILD_TYPE=Release -DQUIESCOR_SANITIZE=OFF -DBUILD_TESTING=OFF \
		>$(BUILD)/.bench-configure.log 2>&1 || (cat $(BUILD)/.bench-configure.log; exit 1)
	@cmake --build $(BENCH)
	@bash scripts/bench.sh $(BENCH) $(BUILD)

# The native targets, and beside them the Windows ones under Wine.
fuzz: all
	@bash scripts/fuzz.sh $(NATIVE) $(FUZZ_SECONDS) $(WIN)

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
