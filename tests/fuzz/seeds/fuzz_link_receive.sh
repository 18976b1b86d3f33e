#!/usr/bin/env bash
# Seeds for fuzz_link_receive: byte 0 link and exchange, byte 1 faults, then chunks of a
# length byte and the bytes the panel sends (the first at once, each further one after
# the link's next write). Frames are built and summed here byte by byte.
set -euo pipefail
out=$1
export LC_ALL=C

# frame TYPE WORD [DATA...]: sets F to the 21 bytes with their checksum.
frame() {
    local type=$1 word=$2 i b sum=0
    shift 2
    local data=("$@")
    F=("$type" $((word >> 8)) $((word & 255)))
    for ((i = 0; i < 16; i++)); do F+=("${data[i]:-0}"); done
    for b in "${F[@]}"; do
        sum=$(((sum + b) & 0xFFFF))
        sum=$((((sum << 1) | (sum >> 15)) & 0xFFFF))
    done
    F+=($((sum >> 8)) $((sum & 255)))
}
# chunk BYTES...: appends one chunk to S.
chunk() { S+=($# "$@"); }
# seed NAME: writes S as bytes.
seed() {
    local b out_s='' hex
    for b in "${S[@]}"; do printf -v hex '\\x%02x' "$b"; out_s+=$hex; done
    printf "$out_s" >"$out/$1"
}
ACK=6 NAK=21
identity=(71 76 32 50 48 48 32 86 51 46 49 32 32 32 32 32) # "GL 200 V3.1     "

# Exchange in bits 1-3, TCP in bit 0, "VT 340" in bit 4.
# ReceiveBlock, serial: two blocks (the second a repetition), a damaged one, the end.
frame 2 0x2341 1 2 3; b1=("${F[@]}")
frame 2 0x0010 9; b2=("${F[@]}")
frame 3 0; end=("${F[@]}")
S=(2 0); chunk "${b1[@]}"; chunk "${b1[@]}" "${b2[@]}"; chunk "${b2[@]:0:20}" 0; chunk "${end[@]}"
seed block-serial
S=(3 0); chunk "${b1[@]:0:7}"; chunk "${b1[@]:7}"; chunk "${end[@]}"
seed block-tcp-in-pieces

# ReceiveLogBlock: number 18, then the end.
frame 33 0x0012 1 1 9 35; log=("${F[@]}")
frame 34 0; logend=("${F[@]}")
S=(4 0); chunk "${log[@]}"; chunk "${logend[@]}"
seed log-serial

# QueryIdentity: asked (ACK, reply 0x81 with keep-alive), or aborted after a NAK.
frame 129 0x0001 "${identity[@]}"; id=("${F[@]}")
S=(7 0); chunk; chunk $ACK "${id[@]}"
seed identity-tcp
S=(6 0x08); chunk; chunk $NAK; chunk $ACK "${id[@]}"
seed identity-abort

# SendCommand with its WaitAck: a NAK, noise, then the ACK.
S=(8 0); chunk; chunk $NAK; chunk 65 66 $ACK
seed ack-serial

# Login: accepted over TCP.
frame 147 0; ok=("${F[@]}")
S=(11 0); chunk; chunk $ACK "${ok[@]}"
seed login-tcp

# Supervise: identity with keep-alive, silence, the probe answered, then a lost answer.
S=(13 0); chunk "${id[@]}"; chunk; chunk $ACK; chunk; chunk
seed supervise-tcp

# Erase: ACK, then the panel's 0x07.
frame 7 0; erased=("${F[@]}")
S=(14 0); chunk; chunk $ACK; chunk "${erased[@]}"
seed erase-serial
