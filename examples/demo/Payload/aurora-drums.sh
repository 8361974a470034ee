#!/bin/sh
# The Aurora Drums player of the demo medium: it only says where the samples are.
here=$(dirname "$0")
echo "Aurora Drums 1.0 - the samples are in $here/../Library"
