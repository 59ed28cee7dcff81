"""Runs the unittest cases of the running script with what its own options left over."""

import sys
import unittest


def run_cases(rest, close):
    """Runs the cases of __main__ with the command line's rest, then close(); 0 when all pass."""
    try:
        program = unittest.main(argv=[sys.argv[0], *rest], exit=False, verbosity=2)
    finally:
        close()
    return 0 if program.result.wasSuccessful() else 1
