# Quire Desktop: `make test` builds everything and runs every test.
FUZZ_SECONDS ?= 60
PRESETS := win64 win32 native

.PHONY: test build bootstrap fuzz fuzz-long bench clean run screenshots installer deb $(PRESETS:%=build-%)

# The 64-bit Windows tests run on every machine; the 32-bit ones only where the
# machine itself executes 32-bit programs (tools/can-run-32bit says why not).
test: build
	@tools/run-fuzz build/native $(FUZZ_SECONDS); fuzz=$$?; \
	tools/run-tests build/native; native=$$?; \
	tools/run-tests build/win64; win64=$$?; \
	if why=$$(tools/can-run-32bit); then \
	  tools/run-tests build/win32; win32=$$?; ran32=build/win32; \
	else \
	  echo "32-bit Windows tests skipped: $$why"; win32=0; ran32="--skipped build/win64"; \
	fi; \
	tools/test-summary build/native build/win64 $$ran32; \
	failed=; \
	[ $$fuzz -eq 0 ] || failed="$$failed fuzzing"; \
	[ $$native -eq 0 ] || failed="$$failed native"; \
	[ $$win64 -eq 0 ] || failed="$$failed 64-bit"; \
	[ $$win32 -eq 0 ] || failed="$$failed 32-bit"; \
	[ -z "$$failed" ] || echo "failed:$$failed"; \
	[ $$fuzz -ne 0 ] && [ -f build/native/fuzz/failures.txt ] && cat build/native/fuzz/failures.txt; \
	exit $$(( fuzz || native || win64 || win32 ))

build: $(PRESETS:%=build-%)

# The Windows builds also make their setup programs, the 64-bit one the package.
$(PRESETS:%=build-%): build-%: bootstrap
	cmake --preset $* >/dev/null
	cmake --build --preset $*
	$(if $(filter win%,$*),cmake --build --preset $* --target installer)
	$(if $(filter win64,$*),cmake --build --preset $* --target deb)

# build/win64/packaging/windows/QuireSetup-<version>.exe and the same in build/win32.
installer: bootstrap
	cmake --preset win64 >/dev/null
	cmake --build --preset win64 --target installer
	cmake --preset win32 >/dev/null
	cmake --build --preset win32 --target installer

# build/win64/packaging/debian/quire-desktop_<version>-1_amd64.deb
deb: bootstrap
	cmake --preset win64 >/dev/null
	cmake --build --preset win64 --target deb

bootstrap:
	@tools/bootstrap

fuzz: build-native
	tools/run-fuzz build/native $(FUZZ_SECONDS)

# Every target to 10,000,000 executions or its time cap; the grown corpora go
# into the repository's corpus folders.  FUZZ_LONG_SCALE=10 for a trial at a
# tenth of each cap.
FUZZ_LONG_RUNS ?= 10000000
FUZZ_LONG_SCALE ?= 100
fuzz-long: build-native
	tools/run-fuzz-long build/native $(FUZZ_LONG_RUNS) $(FUZZ_LONG_SCALE)

bench: bootstrap build-win64
	cmake --preset bench >/dev/null
	cmake --build --preset bench
	tools/run-benchmarks build/bench build/win64

# Quire Desktop on demo folders and a local WebDAV server, in a prefix of its own.
run:
	tools/quire-demo run

screenshots:
	tools/quire-demo screenshots

clean:
	rm -rf build
