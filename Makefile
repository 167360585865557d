# The two everyday commands: `make run` and `make test`.
BUILD ?= build
JOBS  ?= $(shell nproc)

.PHONY: all deps configure build run test bench check tsan package clean

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/vortigram

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# Benchmarks, optimised, in their own folder; never part of `make test`.
BENCH_BUILD ?= build-bench
bench: deps
	@cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DVORTIGRAM_BENCHMARKS=ON \
		-DBUILD_TESTING=OFF >/dev/null
	@cmake --build $(BENCH_BUILD) -j $(JOBS) --target vortigram_bench
	QT_QPA_PLATFORM=offscreen ./$(BENCH_BUILD)/bench/vortigram_bench \
		--benchmark_enable_random_interleaving=true

# The whole test suite under AddressSanitizer and UndefinedBehaviorSanitizer.
# Any report fails the run; leaks inside system libraries are listed in
# scripts/lsan.supp.
CHECK_BUILD ?= build-asan
SANITIZER_ENV = ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:strict_init_order=1 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0
check: deps
	@cmake -S . -B $(CHECK_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORTIGRAM_SANITIZE=ON >/dev/null
	@cmake --build $(CHECK_BUILD) -j $(JOBS)
	cd $(CHECK_BUILD) && $(SANITIZER_ENV) QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The window's tests that play frames on threads, under ThreadSanitizer. Qt's
# own libraries are not instrumented: the painters share their work with the
# window only through the standard library's locks, which it sees.
TSAN_BUILD ?= build-tsan
tsan: deps
	@cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS=-fsanitize=thread \
		-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread >/dev/null
	@cmake --build $(TSAN_BUILD) -j $(JOBS) --target tst_window
	cd $(TSAN_BUILD) && TSAN_OPTIONS=halt_on_error=1:suppressions=$(CURDIR)/scripts/tsan.supp QT_QPA_PLATFORM=offscreen \
		./tests/tst_window preview livePreview fullScreen

# The Debian package, from its own Release build with Debian's hardening flags
# (CMake reads no CPPFLAGS, so they go in with CXXFLAGS),
# left in the project root and checked by lintian: any error fails the target.
PACKAGE_BUILD ?= build-package
VERSION := $(shell sed -n 's/^project.Vortigram VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
DEB = vortigram_$(VERSION)_$(shell dpkg --print-architecture).deb
package: deps
	@eval "$$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)" && \
		CXXFLAGS="$$CPPFLAGS $$CXXFLAGS" cmake -S . -B $(PACKAGE_BUILD) \
		-DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DBUILD_TESTING=OFF >/dev/null
	@cmake --build $(PACKAGE_BUILD) -j $(JOBS)
	cd $(PACKAGE_BUILD) && cpack -G DEB
	mv $(PACKAGE_BUILD)/$(DEB) $(DEB)
	lintian --fail-on error $(DEB)
	@echo "Built $(DEB)"

clean:
	rm -rf build build-* vortigram_*.deb
