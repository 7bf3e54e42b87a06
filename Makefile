# The two commands of the README. Each sets up its own dependencies first.
.PHONY: demo test setup

JOBS ?= $(shell nproc)

setup:
	@scripts/bootstrap

demo: setup
	cmake --preset native >/dev/null
	cmake --build --preset native --target qlnu_demo -j $(JOBS)
	build/native/tools/qlnu_demo

test: setup
	scripts/run-tests
