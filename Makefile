# Two commands on a fresh Debian machine:
#   make run   - installs what is missing, builds, builds the demo game and starts it
#   make test  - installs what is missing, builds, runs every test, prints a summary
#   make fuzz  - builds the fuzzers and runs each for FUZZ_SECONDS (default 300)
BUILD      ?= build
BUILD_ASAN ?= build-asan
BUILD_FUZZ ?= build-fuzz
BUILD_RELEASE ?= build-release
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja

.PHONY: all deps build demo run test fuzz clean

all: build

deps:
	@scripts/install-deps.sh

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

demo: build
	cmake --build $(BUILD) --target demo -j $(JOBS)

run: demo
	$(BUILD)/mirelune --game $(BUILD)/demo

test: deps
	@BUILD=$(BUILD) BUILD_ASAN=$(BUILD_ASAN) BUILD_FUZZ=$(BUILD_FUZZ) BUILD_RELEASE=$(BUILD_RELEASE) JOBS=$(JOBS) scripts/run-tests.sh

fuzz: deps
	@BUILD_FUZZ=$(BUILD_FUZZ) JOBS=$(JOBS) scripts/fuzz.sh

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_FUZZ) $(BUILD_RELEASE)
