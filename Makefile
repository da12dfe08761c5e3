# The two commands a newcomer needs: `make test` and `make demo`.
JOBS ?= 2
BUILD ?= build
NATIVE := $(BUILD)/native
ASAN := $(BUILD)/asan
WIN := $(BUILD)/win
WIN64 := $(BUILD)/win64
WINE_RUN := tools/wine-run

.PHONY: all deps native asan windows windows64 test clean

all: native

deps:
	@tools/install-deps.sh

native: deps
	cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Debug >/dev/null
	cmake --build $(NATIVE) -j$(JOBS)

asan: deps
	cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=Debug -DSANITIZE=ON >/dev/null
	cmake --build $(ASAN) -j$(JOBS)

# The deliverables: the 32-bit COM server DLLs, built for size.
windows: deps
	cmake -S . -B $(WIN) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
	cmake --build $(WIN) -j$(JOBS)

# The same sources for 64-bit Windows, for machines whose kernel runs no
# 32-bit programs (Wine then cannot run the 32-bit tests).
windows64: deps
	cmake -S . -B $(WIN64) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
	cmake --build $(WIN64) -j$(JOBS)

# Every test: native, then the native suite again under ASan and UBSan, then
# the Windows tests under Wine. The checks of the DLL files themselves
# (label "pe") always look at the 32-bit build.
test: native asan windows
	cd $(NATIVE) && ctest --output-on-failure -j$(JOBS)
	cd $(ASAN) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j$(JOBS)
	@if $(WINE_RUN) --runs-32-bit; then \
	  cd $(WIN) && ctest --output-on-failure -j$(JOBS); \
	else \
	  echo "This kernel runs no 32-bit programs: the Wine tests run on the 64-bit build."; \
	  (cd $(WIN) && ctest --output-on-failure -j$(JOBS) -L pe) && \
	  $(MAKE) --no-print-directory windows64 && \
	  cd $(WIN64) && ctest --output-on-failure -j$(JOBS) -LE pe; \
	fi

clean:
	rm -rf $(BUILD)
