# Front door. `make test` and `make run` work on a fresh Debian 12 machine: they install what
# is missing, build, and do their job.
SHELL := /bin/bash
.DEFAULT_GOAL := build

# Debian packages the build and the tests need (64-bit only: this machine runs no 32-bit code).
# fonts-wine: Wine's Marlett, the caption buttons' glyphs (packaging/wine-fonts.sh links it in).
DEB_PACKAGES := cmake ninja-build g++ clang libclang-rt-14-dev \
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix \
    wine64 wine xvfb xauth x11-utils imagemagick fonts-dejavu-core fonts-wqy-microhei fonts-wine \
    googletest libgtest-dev libbenchmark-dev valgrind nsis unzip

PRESETS_BUILT := host sanitize win32 win64

.PHONY: deps build test run stop bench dist clean

deps:
	@missing=$$(for p in $(DEB_PACKAGES); do \
	    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	    echo "Installing: $$missing"; \
	    SUDO=$$( [ "$$(id -u)" = 0 ] || echo sudo ); \
	    $$SUDO apt-get update -qq && \
	    DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq --no-install-recommends $$missing; \
	fi

build: deps
	@for p in $(PRESETS_BUILT); do \
	    echo "== build $$p"; \
	    cmake --preset $$p >/dev/null && cmake --build --preset $$p || exit 1; \
	done

# Every host, sanitizer, binary-inspection and Wine test. Fails if any does.
test: build
	@status=0; for p in $(PRESETS_BUILT); do \
	    echo "== test $$p"; \
	    ctest --preset $$p || status=1; \
	done; exit $$status

bench: deps
	cmake --preset host >/dev/null && cmake --build --preset host
	cmake --build --preset host --target bench-report
	cmake --preset win64 >/dev/null && cmake --build --preset win64
	cmake --build --preset win64 --target wine-bench-report

run: build
	@bash packaging/run-panel.sh start build/win64

stop:
	@bash packaging/run-panel.sh stop

dist: build
	@bash packaging/make-dist.sh

clean:
	rm -rf build dist
