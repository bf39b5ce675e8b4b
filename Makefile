# GARVO RHYTHM: two commands on a fresh Debian 12 machine, `make run` and `make test`.

BUILD_DIR  ?= build
TSAN_DIR   ?= build-tsan
ASAN_DIR   ?= build-asan
JOBS       ?= $(shell nproc)
APP        := $(BUILD_DIR)/GarvoRhythm_artefacts/Release/Standalone/GARVO RHYTHM

# Everything the build, the tests and the host checks need from Debian.
DEB_PACKAGES := build-essential cmake ninja-build pkg-config ccache \
	juce-modules-source libgtest-dev libgmock-dev googletest libbenchmark-dev \
	libasound2-dev libjack-jackd2-dev libfreetype-dev libfontconfig1-dev \
	libx11-dev libxrandr-dev libxinerama-dev libxcursor-dev libxext-dev \
	libflac-dev libvorbis-dev libogg-dev zlib1g-dev libpng-dev libjpeg-dev \
	xvfb xauth xdotool imagemagick lilv-utils serdi jalv jackd2
# Only `make test-hosts` needs these: a full DAW is too big for every test run.
HOST_PACKAGES := ardour

.PHONY: all deps configure build run test bench test-tsan test-asan install uninstall test-hosts clean

all: build

deps:
	@missing=$$(for p in $(DEB_PACKAGES); do dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
		if [ "$$(id -u)" = 0 ]; then \
			echo "Installing missing Debian packages:" $$missing; \
			export DEBIAN_FRONTEND=noninteractive; \
			apt-get update && apt-get install -y $$missing; \
		else \
			echo "These Debian packages are missing. Install them, then run make again:"; \
			echo "  sudo apt-get install -y $$missing"; \
			exit 1; \
		fi; \
	fi

$(BUILD_DIR)/build.ninja: | deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release

configure: deps $(BUILD_DIR)/build.ninja

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	"$(APP)"

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

bench: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DGARVO_BUILD_BENCHMARKS=ON
	cmake --build $(BUILD_DIR) -j $(JOBS) --target garvo_bench
	$(BUILD_DIR)/garvo_bench --benchmark_min_time=0.2 --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

test-tsan: deps
	cmake -S . -B $(TSAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGARVO_TSAN=ON
	cmake --build $(TSAN_DIR) -j $(JOBS)
	cd $(TSAN_DIR) && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" ctest --output-on-failure -j $(JOBS)

test-asan: deps
	cmake -S . -B $(ASAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGARVO_ASAN=ON
	cmake --build $(ASAN_DIR) -j $(JOBS)
	cd $(ASAN_DIR) && ASAN_OPTIONS="detect_leaks=0" UBSAN_OPTIONS="halt_on_error=1 print_stacktrace=1" \
		ctest --output-on-failure -j $(JOBS) -E 'hosts|install'

# For the current user, no root: the app and the CLI in ~/.local/bin, the desktop entry and icon,
# the LV2 and VST3 plug-ins in ~/.lv2 and ~/.vst3, the drum library where every host finds it.
install: build
	packaging/install.sh install "$(BUILD_DIR)"

# Removes exactly what `make install` installed (it keeps a manifest).
uninstall:
	packaging/install.sh uninstall

# Both plug-in formats in Debian's Ardour 7, headless. Not part of `make test`.
test-hosts: build
	@$(MAKE) --no-print-directory deps DEB_PACKAGES="$(HOST_PACKAGES)"
	tests/hosts/ardour_test.sh "$(CURDIR)" "$(BUILD_DIR)"

clean:
	rm -rf $(BUILD_DIR) $(TSAN_DIR) $(ASAN_DIR)
