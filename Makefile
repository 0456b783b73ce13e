# Quire Desktop: `make test` builds everything and runs every test.
FUZZ_SECONDS ?= 60
PRESETS := windows native

.PHONY: test build bootstrap fuzz bench clean $(PRESETS:%=build-%)

test: build
	@tools/run-fuzz build/native $(FUZZ_SECONDS); fuzz=$$?; \
	tools/run-tests build/native; native=$$?; \
	tools/run-tests build/windows; windows=$$?; \
	tools/test-summary build/native build/windows; \
	exit $$(( fuzz || native || windows ))

build: $(PRESETS:%=build-%)

$(PRESETS:%=build-%): build-%: bootstrap
	cmake --preset $* >/dev/null
	cmake --build --preset $*

bootstrap:
	@tools/bootstrap

fuzz: build-native
	tools/run-fuzz build/native $(FUZZ_SECONDS)

bench: bootstrap
	cmake --preset bench >/dev/null
	cmake --build --preset bench
	tools/run-benchmarks build/bench

clean:
	rm -rf build
