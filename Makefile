# The two commands of the README, and a few conveniences.
.PHONY: demo test build clean

demo:
	sh scripts/demo.sh

test:
	sh scripts/test.sh

build:
	sh scripts/build.sh

clean:
	rm -rf build
