# make run   installs what is missing, builds and starts the program on the bundled data
# make test  installs what is missing, builds and runs the whole suite
# make fuzz  installs clang, builds the fuzz harnesses and runs each for FUZZ_SECONDS (120)
# make package builds build/kesmora_<version>_<arch>.deb
.PHONY: setup build run test sanitize bench fuzz package clean

setup:
	./scripts/setup.sh

build: setup
	cmake --preset default
	cmake --build --preset default

run: build
	./scripts/run.sh

test: setup
	cmake --workflow --preset default

sanitize: setup
	cmake --workflow --preset sanitize

package: build
	cmake --build --preset default --target package

bench: build
	./build/bin/kesmora-bench

fuzz:
	./scripts/setup.sh --fuzz
	cmake --preset fuzz
	cmake --build --preset fuzz
	./scripts/fuzz.sh

clean:
	rm -rf build build-sanitize build-fuzz
