# The two commands a newcomer needs: `make test` and `make demo`.
JOBS ?= 2
BUILD ?= build
NATIVE := $(BUILD)/native
ASAN := $(BUILD)/asan

.PHONY: all deps native asan test clean

all: native

deps:
	@tools/install-deps.sh

native: deps
	cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Debug >/dev/null
	cmake --build $(NATIVE) -j$(JOBS)

asan: deps
	cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=Debug -DSANITIZE=ON >/dev/null
	cmake --build $(ASAN) -j$(JOBS)

# Every test: native, then the native suite again under ASan and UBSan.
test: native asan
	cd $(NATIVE) && ctest --output-on-failure -j$(JOBS)
	cd $(ASAN) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j$(JOBS)

clean:
	rm -rf $(BUILD)
