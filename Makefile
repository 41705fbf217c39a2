# make run   builds everything and starts the game
# make test  builds everything and runs the whole test suite
# make bench runs the benchmarks and make perf, make fuzz runs each fuzzer for FUZZ_SECONDS
# make lint checks the build has no warnings (tests included), the format and clang-tidy
# make sanitize runs the whole test suite built with ASan, UBSan and LSan
# make package builds the Debian package

BUILD ?= build
FUZZ_BUILD ?= build-fuzz
SANITIZE_BUILD ?= build-sanitize
FUZZ_SECONDS ?= 60
# Room for a whole shipped file: the romaji table alone is over 4 KB.
FUZZ_MAX_LEN ?= 65536
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test lint bench perf fuzz sanitize package clean

all: build

deps:
	@tools/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKS_WERROR=ON >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@$(BUILD)/app/keystorm

test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy \
	    ctest --output-on-failure -j $(JOBS)

# The build is made with warnings as errors, so building is the first check.
lint: build
	@tools/lint.py $(BUILD)

bench: build
	@$(BUILD)/tests/bench/bench_core
	@$(BUILD)/tests/bench/bench_sound
	@$(BUILD)/tests/bench/bench_records
	@$(MAKE) --no-print-directory perf

# Start-up and key latency against an empty Qt window, in a virtual display
# of its own. PERF_ARGS="--launches 15 --keys 1000" for a longer pass.
perf: build
	@xvfb-run -a -s "-screen 0 1280x1024x24" $(BUILD)/tools/perf/keystorm-perf \
	    --game $(BUILD)/app --empty $(BUILD)/tools/perf/perf-emptywindow $(PERF_ARGS)

fuzz: deps
	@cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKS_FUZZ=ON \
	    -DCMAKE_CXX_COMPILER=clang++ >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS)
	@for f in fuzz_items fuzz_romaji_table fuzz_settings fuzz_soundfont fuzz_soundfile fuzz_spelling; do \
	    mkdir -p tests/fuzz/corpus-$$f; \
	    echo "== $$f ($(FUZZ_SECONDS) s)"; \
	    $(FUZZ_BUILD)/tests/fuzz/$$f -max_total_time=$(FUZZ_SECONDS) -max_len=$(FUZZ_MAX_LEN) \
	        -print_final_stats=1 tests/fuzz/corpus-$$f tests/fuzz/seeds data data/practice \
	        || exit 1; \
	done

# Memory errors, undefined behaviour and leaks, in every test; a leak fails
# the test that made it.
SANITIZERS = -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined
sanitize: deps
	@cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=Debug \
	    -DCMAKE_CXX_FLAGS="$(SANITIZERS)" -DCMAKE_EXE_LINKER_FLAGS="$(SANITIZERS)" \
	    -DCMAKE_SHARED_LINKER_FLAGS="$(SANITIZERS)" >/dev/null
	@cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	@cd $(SANITIZE_BUILD) && QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy \
	    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	    LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
	    ctest --output-on-failure -j $(JOBS)

# The Debian package, build/keystorm_<version>_<arch>.deb: apt install ./build/keystorm_*.deb
package: build
	@cd $(BUILD) && cpack -G DEB >/dev/null && ls $(CURDIR)/$(BUILD)/keystorm_*.deb

# The pre-commit hook, tools/git-hooks/pre-commit: clang-format on the staged
# .cpp and .h files before every commit. No other target installs it.
.PHONY: hooks
hooks:
	@git config core.hooksPath tools/git-hooks
	@echo "hooks: git now runs tools/git-hooks/pre-commit before every commit"

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD) $(SANITIZE_BUILD)
