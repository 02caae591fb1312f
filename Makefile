# Two commands on a fresh Debian machine:
#   make run     - installs what building and playing need, builds the game and the demo
#                  game and starts it
#   make test    - installs that and the test tools, builds, runs every test, prints a summary
#   make install - builds and installs into PREFIX (default /usr/local; DESTDIR is honoured)
#   make fuzz    - builds the fuzzers and runs each for FUZZ_SECONDS (default 300)
BUILD      ?= build
BUILD_ASAN ?= build-asan
BUILD_FUZZ ?= build-fuzz
BUILD_RELEASE ?= build-release
JOBS       ?= $(shell nproc)
PREFIX     ?= /usr/local
CMAKE_GEN  := -G Ninja

.PHONY: all deps test-deps build demo run install test fuzz clean

all: build

deps:
	@scripts/install-deps.sh

test-deps:
	@scripts/install-deps.sh --test

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

demo: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) --target mirelune demo -j $(JOBS)

run: demo
	$(BUILD)/mirelune --game $(BUILD)/demo

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

test: test-deps
	@BUILD=$(BUILD) BUILD_ASAN=$(BUILD_ASAN) BUILD_FUZZ=$(BUILD_FUZZ) BUILD_RELEASE=$(BUILD_RELEASE) JOBS=$(JOBS) scripts/run-tests.sh

fuzz: test-deps
	@BUILD_FUZZ=$(BUILD_FUZZ) JOBS=$(JOBS) scripts/fuzz.sh

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_FUZZ) $(BUILD_RELEASE)
