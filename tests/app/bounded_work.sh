#!/bin/bash
# Inputs that once made vexmar work for tens of seconds and gigabytes, then abort. Each must now
# finish well within the limits below with a result (status 0) or a clear refusal (status 2).
# Usage: bounded_work.sh VEXMAR
set -u
vexmar=$1
memory_kb=500000
seconds=20
failures=0

# PIECE COUNT: the piece COUNT times over (bash alone: a fresh machine may have no python).
repeat() {
  local text="" i
  for ((i = 0; i < $2; i++)); do text+=$1; done
  printf '%s' "$text"
}

# check NAME EXPECTED-STATUS ARGS...: runs vexmar ARGS under the limits.
check() {
  local name=$1 expected=$2
  shift 2
  local err status
  err=$( (ulimit -v $memory_kb; timeout $seconds "$vexmar" "$@" 2>&1 >/dev/null) )
  status=$?
  if [[ $status -ne $expected ]]; then
    echo "FAIL $name: status $status, expected $expected; stderr: ${err:0:300}"
    failures=$((failures + 1))
  else
    echo "ok   $name (status $status)"
  fi
}

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

check "graphing a fraction nested 4,000 deep" 0 render -e "y=$(repeat x/ 4000)x" -o "$out/r.png"
check "simplifying the 11th derivative of tan" 2 type "tan x$(repeat '{C-a}{cmd:0x1809}x' 11){C-a}{C-y}"
check "expanding a sum squared six times" 2 type "((((((a+b+c)^2{Right})^2{Right})^2{Right})^2{Right})^2{Right})^2{C-a}{C-e}"
nested() { repeat 'minus[' 15000; printf '%s' "$1"; repeat ']' 15000; }
check "evaluating under 15,000 signs around an equation" 0 type "{C-=}" --start "$(nested 'equal[char[y],num[2,"2"]]')"
check "evaluating under 15,000 signs around a letter" 0 type "{C-=}" --start "$(nested 'plus[char[x],num[2,"2"]]')"
check "drawing 3,000 letters broken into lines" 0 render-equation "$(repeat a 3000)" --wrap 60 -o "$out/e.png"

if [[ $failures -ne 0 ]]; then
  echo "$failures input(s) were not bounded"
  exit 1
fi
