"""python3 tools/medium build|check ...: see command.py."""
import os
import signal
import sys

# Held back from the first line on, so that a signal before the command's
# handlers are in place stops it as cleanly as any later one.
signal.pthread_sigmask(signal.SIG_BLOCK, (signal.SIGINT, signal.SIGTERM, signal.SIGHUP))
try:
    sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    from medium.command import main
except Exception as error:              # noqa: B902  a broken install: one line
    print("could not finish: the command cannot start (%s: %s)" % (type(error).__name__, error))
    sys.exit(3)
sys.exit(main(sys.argv[1:]))
