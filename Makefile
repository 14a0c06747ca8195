# make run   installs what is missing, builds and starts the program on the bundled data
# make test  installs what is missing, builds and runs the whole suite
.PHONY: setup build run test sanitize bench clean

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

bench: build
	./build/bin/kesmora-bench

clean:
	rm -rf build build-sanitize
