# The two commands of the README. Each sets up its own dependencies first: the demo needs only
# the native build, the tests everything.
.PHONY: demo test

JOBS ?= $(shell nproc)

demo:
	@scripts/bootstrap native
	cmake --preset native >/dev/null
	cmake --build --preset native --target qlnu_tool -j $(JOBS)
	build/native/tools/cli/qlnu demo

test:
	@scripts/bootstrap
	JOBS=$(JOBS) scripts/run-tests
