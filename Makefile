# The two commands of the README, and a few conveniences.
.PHONY: demo test test-sweep build clean medium check-medium

demo:
	sh scripts/demo.sh

test:
	sh scripts/test.sh

# The removal stopped after every one of its changes, not only the spread
# that make test runs.
test-sweep:
	NL_SWEEP=all sh scripts/test.sh -R e2e_uninstall_sweep

# A distribution medium from a product folder, and the checks alone (of a
# medium folder, a CD's root or an ISO image).
medium:
	FORCE="$(FORCE)" sh scripts/make-medium.sh "$(PRODUCT)" "$(OUT)"

check-medium:
	@[ -n "$(MEDIUM)" ] || { echo "usage: make check-medium MEDIUM=DIR_OR_ISO" >&2; exit 2; }
	@sh scripts/deps.sh
	python3 -S tools/medium check "$(MEDIUM)"

build:
	sh scripts/build.sh

clean:
	rm -rf build
