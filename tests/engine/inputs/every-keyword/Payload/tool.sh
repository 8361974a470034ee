#!/bin/sh
printf "%s\n" "$2" > "$1"
