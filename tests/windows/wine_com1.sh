# SPDX-License-Identifier: MIT
# Sourced: the Linux oru-emulator as COM1 under Wine, through a fixed link that each
# emulator re-points at its new pseudo-terminal. Only COM1 is ever named: Wine maps
# the other COM ports to the machine's own ttyS devices, the console among them.
#   wine_com1_setup WORK EMULATOR, then emulator_start [OPTION]..., emulator_stop
wine_com1_setup() {
    com1_work=$1
    com1_emulator=$2
    com1_link="$com1_work/com1"
    emulator_pid=
    # Without the mapping COM1 would be the machine's first serial device.
    if ! wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /t REG_SZ /d "$com1_link" /f \
        >/dev/null 2>&1; then
        echo "Wine's registry did not take the COM1 mapping"
        exit 1
    fi
    # The next server reads the mapping; the old one must be gone before it starts,
    # or Wine's next program talks to the one that is still going.
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    # Wine's own processes start here, away from the pipes that read the programs'
    # output (they would hold them open), and stay for the runs that follow.
    wineserver -p >/dev/null 2>&1
    wine wineboot >/dev/null 2>&1
}
emulator_stop() {
    if [ -n "$emulator_pid" ]; then
        kill "$emulator_pid" 2>/dev/null
        wait "$emulator_pid" 2>/dev/null
        emulator_pid=
    fi
}
emulator_start() {
    emulator_stop
    "$com1_emulator" --link "$com1_link" "$@" >"$com1_work/emulator.out" 2>&1 &
    emulator_pid=$!
    # A loaded machine may take its time: the emulator is waited for while it runs.
    while kill -0 "$emulator_pid" 2>/dev/null; do
        [ -L "$com1_link" ] && return
        sleep 0.1
    done
    echo "the emulator did not start:"
    cat "$com1_work/emulator.out"
    exit 1
}
