# The two commands of the README, and the checks CI runs.
# `make run` and `make test` each install what is missing, build and run.
.PHONY: run test build asan test-asan format format-check bench fuzz fuzz-smoke clean bootstrap \
	screenshots mutate

JOBS ?= 2

bootstrap:
	@scripts/bootstrap

build: bootstrap
	@cmake --preset dev >/dev/null
	@cmake --build --preset dev -j $(JOBS)

run: build
	@scripts/run-demo build/dev

test: build
	@ctest --preset dev -j $(JOBS)

asan: bootstrap
	@cmake --preset asan-ubsan >/dev/null
	@cmake --build --preset asan-ubsan -j $(JOBS)

test-asan: asan
	@ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --preset asan-ubsan -j $(JOBS)

# The README's pictures of the desktop mode (no display needed).
screenshots: build
	@scripts/screenshots build/dev docs/screenshots

bench: bootstrap
	@cmake --preset release >/dev/null
	@cmake --build --preset release -j $(JOBS)
	@scripts/run-bench build/release

fuzz: bootstrap
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz -j $(JOBS) --target $(FUZZ_TARGETS)

# The mutation yardstick (scripts/mutation-sample.txt): each mutant built in a release
# build of its own (build/mutate) and the tests that cover it run; about an hour on two
# cores. Results in build/mutate/results.jsonl (a run that stops is resumed), the summary
# per folder printed at the end (docs/mutation.md keeps the figures).
mutate: bootstrap
	@scripts/mutate run

# Each fuzz target for a short run from an empty corpus: proves they build and
# run; long runs are made by hand (see tests/*/fuzz/CMakeLists.txt).
FUZZ_TARGETS = dxf_reader_fuzz insert_fuzz ado_sql_text_fuzz
FUZZ_SECONDS ?= 20
fuzz-smoke: fuzz
	@set -e; for t in $(FUZZ_TARGETS); do \
	  corpus=$$(mktemp -d); \
	  echo "fuzz-smoke: $$t for $(FUZZ_SECONDS) s"; \
	  build/fuzz/bin/$$t -max_total_time=$(FUZZ_SECONDS) -max_len=4096 $$corpus 2>build/fuzz/$$t.log \
	    || { tail -40 build/fuzz/$$t.log; rm -rf $$corpus; exit 1; }; \
	  rm -rf $$corpus; \
	done

# The formatter checks the committed sources; it fails when there is nothing
# to check (git missing, not a checkout), not only when a file is off.
format:
	@files=$$(git ls-files '*.cpp' '*.h') && [ -n "$$files" ] && clang-format -i $$files

format-check:
	@files=$$(git ls-files '*.cpp' '*.h') || { echo "format-check: git ls-files failed" >&2; exit 1; }; \
	[ -n "$$files" ] || { echo "format-check: no sources to check" >&2; exit 1; }; \
	clang-format --dry-run -Werror $$files && echo "format-check: $$(echo "$$files" | wc -l) files clean"

clean:
	rm -rf build
