# Two entry points: `make demo` and `make test`. Both install what the build
# needs on a fresh Debian machine (as root), configure, build with -j2, run.
BUILD      ?= build
JOBS       ?= 2
CMAKE_ARGS ?=
DEB_PACKAGES := cmake make g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev

.PHONY: demo test bench deps configure build clean

deps:
	@missing=""; for p in $(DEB_PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $$missing; \
	  else \
	    echo "missing packages; run as root:"; \
	    echo "  apt-get install -y$$missing"; exit 1; \
	  fi; \
	fi

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(CMAKE_ARGS)

build: configure
	cmake --build $(BUILD) -j$(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

demo: build
	./$(BUILD)/src/cli/tavo --version

bench: build
	./$(BUILD)/bench/tavo_memory_probe
	./$(BUILD)/bench/tavo_bench_model

clean:
	rm -rf $(BUILD)
