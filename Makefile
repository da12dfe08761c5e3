# The two commands a newcomer needs: `make test` and `make demo`.
JOBS ?= 2
BUILD ?= build
NATIVE := $(BUILD)/native
ASAN := $(BUILD)/asan
# The user-facing tools, optimised, and where make install puts them.
RELEASE := $(BUILD)/release
PREFIX ?= /usr/local
WIN := $(BUILD)/win
WIN64 := $(BUILD)/win64
WINE_RUN := tools/wine-run
BENCH := $(BUILD)/bench
FUZZ_BUILD := $(BUILD)/fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS := read_registry_string_fuzz entry_parts_fuzz menu_build_fuzz page_round_trip_fuzz

# The two Windows trees, configured alike by every target that builds one.
CONFIGURE_WIN := cmake -S . -B $(WIN) --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel
CONFIGURE_WIN64 := cmake -S . -B $(WIN64) --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=MinSizeRel
# The tree that the demo and the bench run under Wine: the 32-bit
# deliverables where the kernel runs 32-bit programs, else the 64-bit build.
PICK_WINE_TREE = if $(WINE_RUN) --runs-32-bit; then tree=$(WIN) configure="$(CONFIGURE_WIN)" build=i686; \
	 else tree=$(WIN64) configure="$(CONFIGURE_WIN64)" build=x86-64; fi

.PHONY: all deps native asan release install deb uninstall windows windows64 package demo test bench fuzz valgrind clean

all: native release

# Status 3: all but the 32-bit Wine is installed, and Wine runs the 64-bit
# build, as on a kernel without 32-bit programs (tools/wine-run --runs-32-bit).
deps:
	@tools/install-deps.sh || [ $$? -eq 3 ]

native: deps
	cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Debug >/dev/null
	cmake --build $(NATIVE) -j$(JOBS)

asan: deps
	cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=Debug -DSANITIZE=ON >/dev/null
	cmake --build $(ASAN) -j$(JOBS)

# The tool alone, without the tests, asking only for what it needs.
release:
	@tools/install-deps.sh tool
	cmake -S . -B $(RELEASE) -DCMAKE_BUILD_TYPE=Release -DTESTS=OFF >/dev/null
	cmake --build $(RELEASE) -j$(JOBS) --target mapnote_audit

# mapnote-audit and its manual page into $(DESTDIR)$(PREFIX)/bin and
# .../share/man/man1; uninstall removes what the last install wrote (with
# the same DESTDIR: the manifest lists the paths under PREFIX).
install: release
	DESTDIR="$(DESTDIR)" cmake --install $(RELEASE) --prefix "$(PREFIX)"

# The Debian package of mapnote-audit and its manual page,
# $(RELEASE)/mapnote-audit_<version>_<arch>.deb, for apt install ./...
deb: release
	@tools/install-deps.sh deb
	cd $(RELEASE) && cpack -G DEB

uninstall:
	@test -f $(RELEASE)/install_manifest.txt || { echo "nothing installed from $(RELEASE)"; exit 1; }
	@while IFS= read -r file || [ -n "$$file" ]; do echo "removing $(DESTDIR)$$file"; rm -f -- "$(DESTDIR)$$file"; done \
	  <$(RELEASE)/install_manifest.txt
	@rm -f $(RELEASE)/install_manifest.txt

# The deliverables: the 32-bit COM server DLLs, built for size.
windows: deps
	$(CONFIGURE_WIN) >/dev/null
	cmake --build $(WIN) -j$(JOBS)

# The installer package of both 32-bit DLLs, build/win/zarvik-addins-<version>.msi
# (wixl; see install/).
package: deps
	$(CONFIGURE_WIN) >/dev/null
	cmake --build $(WIN) -j$(JOBS) --target package

# The same sources for 64-bit Windows, for machines whose kernel runs no
# 32-bit programs (Wine then cannot run the 32-bit tests).
windows64: deps
	$(CONFIGURE_WIN64) >/dev/null
	cmake --build $(WIN64) -j$(JOBS)

# The main job on the sample web: both add-ins installed in a new Wine prefix
# and an author's session walked through the real dialog (see tools/demo).
# INTERACTIVE=1 opens the host on this machine's display instead. Built for
# 32-bit Windows where the kernel runs 32-bit programs, else for 64-bit.
# Whatever the outcome, it leaves no Wine server and no Xvfb running.
demo: deps release
	@$(PICK_WINE_TREE); \
	 $$configure >/dev/null && \
	 cmake --build $$tree -j$(JOBS) --target standin_demo >/dev/null && \
	 { status=0; tools/demo $$tree $(if $(INTERACTIVE),--interactive) || status=$$?; \
	   $(WINE_RUN) --stop $$tree && exit $$status; }

# Every test: native, then the native suite again under ASan and UBSan, then
# the Windows tests under Wine. The checks of the DLL files themselves
# and of the package (label "pe") always look at the 32-bit build; where the
# kernel runs no 32-bit programs, only the DLLs and the package are built
# there and the Wine tests run on the 64-bit build of the same sources.
# axe-core (from npm, when Node is) checks the report page in a browser.
AXE_CORE := $(BUILD)/axe-core
test: native asan release
	@if ! command -v npm >/dev/null; then echo "note: npm is not installed, so axe-core is not run on the report page"; \
	 elif [ ! -f $(AXE_CORE)/node_modules/axe-core/axe.min.js ]; then \
	  npm install --prefix $(AXE_CORE) --no-audit --no-fund --loglevel=error axe-core@4 || \
	  echo "note: axe-core could not be installed, so it is not run on the report page"; \
	 fi
	cd $(NATIVE) && ctest --output-on-failure -j$(JOBS)
	cd $(ASAN) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j$(JOBS)
	@if $(WINE_RUN) --runs-32-bit; then \
	  $(MAKE) --no-print-directory windows && \
	  cd $(WIN) && ctest --output-on-failure -j$(JOBS); \
	else \
	  echo "Wine runs no 32-bit programs here: the Wine tests run on the 64-bit build."; \
	  $(CONFIGURE_WIN) >/dev/null && \
	  cmake --build $(WIN) -j$(JOBS) --target mapnote_dll zarvik_dll package && \
	  (cd $(WIN) && ctest --output-on-failure -j$(JOBS) -L pe) && \
	  $(MAKE) --no-print-directory windows64 && \
	  cd $(WIN64) && ctest --output-on-failure -j$(JOBS) -LE pe; \
	fi

# Benchmarks: natively, optimised, then the real DLLs through COM under Wine
# (the 32-bit build where the kernel runs 32-bit programs, else the 64-bit
# one), after which nothing of Wine is left running; then mapnote-audit and
# html-validate (installed here, from npm, when Node is) and cat of its
# pages side by side on a generated web of a thousand pages, with the
# optimised build of make release, and each of its outputs against its plain
# audit (time, peak memory, reads of each page); and its SHA-256 against sha256sum on
# 100 MB. One table, kept in build/bench.json.
AUDIT_WEB := $(BUILD)/audit-web
HTML_VALIDATE := $(BUILD)/html-validate
# Selenium comes from the system's packages, as for the browser tests.
SYSTEM_PYTHON := $(firstword $(wildcard /usr/bin/python3) python3)
bench: deps release
	cmake -S . -B $(BENCH) -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(BENCH) -j$(JOBS) --target session_bench
	cmake --build $(RELEASE) -j$(JOBS) --target sha256_bench
	$(BENCH)/bench/session_bench --benchmark_out=$(BUILD)/bench-native.json --benchmark_out_format=json
	@$(PICK_WINE_TREE); \
	 $$configure >/dev/null && cmake --build $$tree -j$(JOBS) --target wine_bench mapnote_dll zarvik_dll >/dev/null && \
	 { status=0; dlls=Z:$$(cd $$tree && pwd); \
	   $(WINE_RUN) $$tree/bench/win/wine_bench.exe $$dlls/mapnote/win/mapnote.dll $$dlls/zarvik/win/zarvik.dll \
	     >$(BUILD)/bench-wine.json || status=$$?; \
	   $(WINE_RUN) --stop $$tree && [ $$status -eq 0 ] && \
	   tools/bench-report $(BUILD)/bench-native.json $(BUILD)/bench-wine.json $(BUILD)/bench.json $$build; }
	bench/audit/make-web.py $(AUDIT_WEB) 1000
	@if ! command -v node >/dev/null || ! command -v npm >/dev/null; then \
	  echo "note: Node is not installed, so html-validate is not run"; \
	 elif [ ! -d $(HTML_VALIDATE)/node_modules/html-validate ]; then \
	  npm install --prefix $(HTML_VALIDATE) --no-audit --no-fund --loglevel=error html-validate@9; \
	 fi
	bench/audit/compare.py $(RELEASE)/audit/mapnote-audit $(AUDIT_WEB) $(HTML_VALIDATE) $(BUILD)/bench.json
	bench/audit/modes-compare.py $(RELEASE)/audit/mapnote-audit $(AUDIT_WEB) $(BUILD)/bench.json
	bench/audit/sha256-compare.py $(RELEASE)/bench/sha256_bench $(BUILD)/sha256-100mb.bin $(BUILD)/bench.json
	@if command -v npm >/dev/null && [ ! -f $(AXE_CORE)/node_modules/axe-core/axe.min.js ]; then \
	  npm install --prefix $(AXE_CORE) --no-audit --no-fund --loglevel=error axe-core@4 || true; \
	 fi
	$(SYSTEM_PYTHON) bench/audit/report-load.py $(RELEASE)/audit/mapnote-audit $(AUDIT_WEB) $(AXE_CORE) $(BUILD)/bench.json

# Each fuzz target for FUZZ_SECONDS, from the checked-in seeds; what it
# finds new goes to build/fuzz/corpus, a crashing input to build/fuzz/.
fuzz: deps
	CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFUZZ=ON >/dev/null
	cmake --build $(FUZZ_BUILD) -j$(JOBS) --target fuzz_targets
	@for t in $(FUZZ_TARGETS); do \
	  mkdir -p $(FUZZ_BUILD)/corpus/$$t && \
	  $(FUZZ_BUILD)/fuzz/$$t -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	    -artifact_prefix=$(FUZZ_BUILD)/$$t- $(FUZZ_BUILD)/corpus/$$t fuzz/corpus/$$t || exit 1; \
	done

# The native test programs again under valgrind's memcheck: any error or
# leak fails.
valgrind: native
	@tools/valgrind-tests $(NATIVE)

clean:
	rm -rf $(BUILD)
