#!/usr/bin/env bash
# wine-run.sh PROGRAM [ARGS...]: runs a Windows program of the build under the
# project's Wine prefix; the exit code is the program's.
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
exec wine "$@"
