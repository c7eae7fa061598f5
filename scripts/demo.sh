#!/usr/bin/env bash
# Builds the tools, starts a simulated instrument (krnsim) on a pseudo-terminal and on loopback
# UDP, and talks to it with krnctl over both channels and over the in-process USB simulator; then
# provisions it from a profile file (krnctl profile new, krnctl format) and looks at the result.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target krnsim krnctl

out=$(mktemp)
backupFile=$(mktemp --suffix=.ini)
backupFile2=$(mktemp --suffix=.ini)
folder=$(mktemp -d)
build/src/sim/krnsim --profile p36e51 --serial --udp 127.0.0.1:0 --module-port 0 --clock-offset 7 \
    --restart-ms 500 >"$out" &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null; rm -rf "$out" "$backupFile" "$backupFile2" "$folder"' EXIT
for _ in $(seq 50); do grep -q '^ready' "$out" && break; sleep 0.1; done
cat "$out"
pty=$(sed -n 's/^serial: //p' "$out")
port=$(sed -n 's/^udp data: .*://p' "$out")
module=$(sed -n 's/^udp module: .*://p' "$out")

run() { echo "\$ krnctl $*"; build/src/cli/krnctl "$@"; }
# Discovery stays on this machine: module commands go to 127.0.0.1, not to the broadcast address.
run list --discovery-address 127.0.0.1 --discovery-port "$module"
run --instrument "COM: $pty" identify
run --instrument "COM: $pty" name "Press 7"
run --instrument "IP: 127.0.0.1:$port" name
run --instrument "IP: 127.0.0.1:$port" counter
run --instrument "COM: $pty" nvram write 0x5000 0x12 0x34
run --instrument "IP: 127.0.0.1:$port" nvram read 0x5000 2
run --instrument "COM: $pty" clock
run --instrument "COM: $pty" clock --set
run --instrument "COM: $pty" job show 1
run --instrument "IP: 127.0.0.1:$port" users list
run --instrument "COM: $pty" backup "$backupFile"
run --instrument "COM: $pty" name "Press 8"
run --instrument "COM: $pty" backup "$backupFile2"
run backup diff "$backupFile" "$backupFile2"
run --instrument "COM: $pty" exchange 15 0x23 0x01 0x00
run --simulate p41e1072 --instrument "USB: QX3SIM0001" --json identify
run --simulate loader --instrument "USB: QX3SIM0001" identify
run ports

# Provisioning: a profile file, the format of the simulated instrument from it (about a minute:
# three restarts and the memory test), then what the instrument now reports. The program folder
# is a copy of the shipped data files, so the image is built from them.
cp data/* "$folder"/
run --folder "$folder" profile new --model 0 --language1 1 --language2 0 --name "Line 5" -o "$folder/line5.ini"
run --folder "$folder" --instrument "COM: $pty" format --profile "$folder/line5.ini" --yes
run --instrument "COM: $pty" identify
run --instrument "IP: 127.0.0.1:$port" job list
run --instrument "COM: $pty" header
