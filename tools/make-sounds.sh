#!/usr/bin/env bash
# Makes every sound clip of the game into assets/sounds/: the twelve game
# sounds (cards, chimes, coins) and the twenty chatter sounds (wave1..wave20).
#
# Needs espeak-ng and sox (apt-get install espeak-ng sox). The clips are
# committed, so building the game needs neither; run this again only to change
# a sound. The output is the same on every run: sox draws its noise from a
# fixed seed (-R).
#
# Every clip: 16-bit mono PCM WAV at 22,050 Hz, short fades against clicks,
# brought to a common loudness without clipping.
set -euo pipefail
cd "$(dirname "$0")/.."

out=assets/sounds
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$out"

rate=22050
target_rms=-20   # dBFS: where every clip's average loudness is brought
target_peak=-1   # dBFS: no clip's peak may go above this

# Intermediate files are 32-bit float so that mixing and gain never clip or
# pile up dither; only the finished clip is reduced to 16 bits.
float=(-r "$rate" -c 1 -e floating-point -b 32)

sx() { sox -R -V1 "$@"; }

# synth NAME SECONDS SYNTH-ARGS... [: EFFECTS...]
synth() {
    local name=$1 len=$2
    shift 2
    local args=() fx=()
    while [ $# -gt 0 ] && [ "$1" != ":" ]; do args+=("$1"); shift; done
    [ $# -gt 0 ] && shift && fx=("$@")
    sx -n "${float[@]}" "$tmp/$name.wav" synth "$len" "${args[@]}" "${fx[@]}"
}

# fx NAME IN EFFECTS...: IN through effects into NAME
fx() {
    local name=$1 in=$2
    shift 2
    sx "$tmp/$in.wav" "${float[@]}" "$tmp/$name.wav" "$@"
}

# at NAME IN SECONDS: IN delayed by SECONDS
at() { fx "$1" "$2" pad "$3"; }

# mix NAME IN...: the inputs played together (sox scales each by 1/n)
mix() {
    local name=$1
    shift
    local files=()
    for f in "$@"; do files+=("$tmp/$f.wav"); done
    sx -m "${files[@]}" "${float[@]}" "$tmp/$name.wav"
}

# chain NAME IN...: the inputs one after another
chain() {
    local name=$1
    shift
    local files=()
    for f in "$@"; do files+=("$tmp/$f.wav"); done
    sx "${files[@]}" "${float[@]}" "$tmp/$name.wav"
}

# say NAME VOICE PITCH SPEED TEXT: spoken text, silence at both ends removed
say() {
    local name=$1 voice=$2 pitch=$3 speed=$4 text=$5
    espeak-ng -v "$voice" -p "$pitch" -s "$speed" -w "$tmp/$name.raw.wav" "$text"
    sx "$tmp/$name.raw.wav" "${float[@]}" "$tmp/$name.wav" \
        silence 1 0.01 0.5% reverse silence 1 0.01 0.5% reverse
}

# Building blocks ------------------------------------------------------------

# bell NAME FREQ SECONDS: a struck metal tone, its overtones dying first
bell() {
    local name=$1 f=$2 len=$3
    local len2 len3
    len2=$(awk -v l="$len" 'BEGIN{print l*0.5}')
    len3=$(awk -v l="$len" 'BEGIN{print l*0.25}')
    synth "$name.a" "$len" sine "$f" : fade l 0.003 -0 "$len"
    synth "$name.b" "$len2" sine "$(awk -v f="$f" 'BEGIN{print f*2.76}')" : \
        fade l 0.002 -0 "$len2" vol 0.35
    synth "$name.c" "$len3" sine "$(awk -v f="$f" 'BEGIN{print f*5.4}')" : \
        fade l 0.001 -0 "$len3" vol 0.15
    mix "$name" "$name.a" "$name.b" "$name.c"
}

# coin NAME FREQ: a small coin clinking on others
coin() {
    local name=$1 f=$2
    synth "$name.a" 0.16 sine "$f" : fade l 0.001 -0 0.15
    synth "$name.b" 0.10 sine "$(awk -v f="$f" 'BEGIN{print f*1.59}')" : fade l 0.001 -0 0.1
    synth "$name.c" 0.06 sine "$(awk -v f="$f" 'BEGIN{print f*2.31}')" : fade l 0.001 -0 0.06
    mix "$name" "$name.a" "$name.b" "$name.c"
}

# snap NAME SECONDS LOW HIGH: a burst of filtered noise, the sound of a card
snap() {
    local name=$1 len=$2 low=$3 high=$4
    synth "$name" "$len" whitenoise : highpass "$low" lowpass "$high" fade l 0.001 -0 "$len"
}

# clap NAME CENTRE: one pair of hands
clap() {
    synth "$1" 0.05 whitenoise : bandpass "$2" 1.5q lowpass 5000 fade l 0.001 -0 0.045
}

# applause NAME SECONDS COUNT: COUNT claps scattered over SECONDS, dense at
# first and thinning out
applause() {
    local name=$1 len=$2 count=$3 i t parts=()
    clap "$name.c1" 1100
    clap "$name.c2" 1500
    clap "$name.c3" 800
    for ((i = 0; i < count; i++)); do
        # awk's generator with a fixed seed: the same scatter on every run
        t=$(awk -v i="$i" -v n="$count" -v l="$len" \
            'BEGIN{srand(17); for (k = 0; k <= i; k++) r = rand(); print (l-0.12)*(i/n)^1.8 + r*0.04}')
        at "$name.$i" "$name.c$((i % 3 + 1))" "$t"
        parts+=("$name.$i")
    done
    mix "$name.m" "${parts[@]}"
    fx "$name" "$name.m" pad 0 "$len" trim 0 "$len"
}

# Finishing -----------------------------------------------------------------

# levels FILE: its RMS and peak level in dBFS
levels() {
    sox "$1" -n stats 2>&1 | awk '/^RMS lev dB/{r=$4} /^Pk lev dB/{p=$4} END{print r, p}'
}

# finish RESOURCE IN [SECONDS]: the finished clip; cut or padded to SECONDS
# when given, faded at both ends, brought to the common loudness
finish() {
    local name=$1 in=$2 len=${3:-}
    local shape=()
    [ -n "$len" ] && shape=(pad 0 "$len" trim 0 "$len")
    sx "$tmp/$in.wav" "${float[@]}" "$tmp/final.wav" "${shape[@]}" fade h 0.004 -0 0.03
    local rms peak gain
    read -r rms peak < <(levels "$tmp/final.wav")
    gain=$(awk -v r="$rms" -v p="$peak" -v tr="$target_rms" -v tp="$target_peak" \
        'BEGIN{g = tr - r; if (p + g > tp) g = tp - p; printf "%.2f", g}')
    sx "$tmp/final.wav" -r "$rate" -c 1 -e signed-integer -b 16 "$out/$name.wav" gain "$gain"
}

# Game sounds ---------------------------------------------------------------

# A card dealt: a short swish ending in a tick.
synth gc.swish 0.12 whitenoise : highpass 2500 lowpass 7000 fade q 0.09 -0 0.03
snap gc.tick 0.03 1500 6000
at gc.tick2 gc.tick 0.11
mix gc gc.swish gc.tick2
finish GETCARD gc 0.22

# The dummy hand taken up: four cards snapped together.
snap bd.s 0.04 1200 6000
at bd.1 bd.s 0.05
at bd.2 bd.s 0.10
at bd.3 bd.s 0.16
mix bd bd.s bd.1 bd.2 bd.3
finish BUYDUMMY bd 0.25

# A card put on the table: a slap with a little thump of the table under it.
snap pc.slap 0.09 700 4500
synth pc.thump 0.08 sine 110 : fade l 0.002 -0 0.08
mix pc pc.slap pc.thump
finish PLAYCARD pc 0.28

# A refused card: two low, soft buzzer notes going down.
synth wc.1 0.38 square 220 : lowpass 900 fade h 0.01 -0 0.08
synth wc.2 0.55 square 165 : lowpass 800 fade h 0.01 -0 0.2
at wc.2d wc.2 0.42
mix wc wc.1 wc.2d
finish WRONGCARD wc 1.00

# The own turn, classic: two chime notes going up.
bell lc.1 784 0.3
bell lc.2 1047 0.45
at lc.2d lc.2 0.12
mix lc lc.1 lc.2d
finish LEADCARD lc 0.57

# The own turn, new: a bright double ping.
bell tn.1 1568 0.2
bell tn.2 1568 0.3
at tn.2d tn.2 0.13
mix tn tn.1 tn.2d
finish TURNNEW tn 0.43

# Somebody sits down: a two-note door chime.
bell en.1 659 0.5
bell en.2 523 0.6
at en.2d en.2 0.25
mix en en.1 en.2d
finish ENTERED en 0.79

# A pot for the own seat: a handful of coins and a till's bell.
coin mo.c1 2400
coin mo.c2 2750
coin mo.c3 2150
at mo.1 mo.c2 0.07
at mo.2 mo.c3 0.13
at mo.3 mo.c1 0.2
bell mo.bell 2093 0.5
at mo.4 mo.bell 0.28
mix mo mo.c1 mo.1 mo.2 mo.3 mo.4
finish MONEY mo 0.79

# A pot for another seat: two coins, quieter in character.
coin hg.c1 1900
coin hg.c2 1700
at hg.2 hg.c2 0.08
mix hg hg.c1 hg.2
finish HEGOTPOT hg 0.29

# Coins poured on a pile.
for i in 0 1 2 3 4 5; do
    coin gp.c$i "$(awk -v i="$i" 'BEGIN{print 2600 - i*120 + (i%2)*300}')"
    at gp.$i gp.c$i "$(awk -v i="$i" 'BEGIN{print i*0.09 + (i%2)*0.02}')"
done
mix gp gp.0 gp.1 gp.2 gp.3 gp.4 gp.5
finish GETPOT gp 0.78

# End of a round: three chime notes going down.
bell ro.1 784 0.4
bell ro.2 659 0.4
bell ro.3 523 0.6
at ro.2d ro.2 0.2
at ro.3d ro.3 0.4
mix ro ro.1 ro.2d ro.3d
finish ROUNDOVER ro 1.00

# End of the game: a plucked fanfare up to a ringing chord.
for n in 523 659 784; do synth go.p$n 0.4 pluck "$n" : fade l 0 -0 0.4; done
for n in 523 659 784 1047; do synth go.c$n 2.3 pluck "$n" : fade l 0 -0 2.3; done
bell go.bell 1047 2.3
mix go.chord go.c523 go.c659 go.c784 go.c1047 go.bell
at go.2 go.p659 0.16
at go.3 go.p784 0.32
at go.4 go.chord 0.48
mix go go.p523 go.2 go.3 go.4
finish GAMEOVER go 2.79

# Chatter sounds ------------------------------------------------------------

say w1 en-us+m3 25 140 "Doh!"
finish WAVE1 w1

# A cough: a rough burst of breath, twice.
synth w2.b 0.2 pinknoise : bandpass 600 0.8q fade h 0.01 -0 0.17 overdrive 8
synth w2.t 0.2 sawtooth 140 : lowpass 600 fade h 0.01 -0 0.17
mix w2.1 w2.b w2.t
fx w2.s w2.1 speed 1.1
at w2.2 w2.s 0.32
mix w2 w2.1 w2.2
finish WAVE2 w2 0.65

say w3 en-us 50 160 "Hello!"
finish WAVE3 w3

say w4 en-us 50 160 "Thank you!"
finish WAVE4 w4

say w5 en-us+f3 55 155 "Where have you been?"
finish WAVE5 w5

# Snoring: a rattling breath in, a soft whistle out.
synth w6.in 1.1 brownnoise : lowpass 500 tremolo 32 80 fade q 0.45 -0 0.35
synth w6.out 0.8 pinknoise : bandpass 1800 4q fade q 0.3 -0 0.45 vol 0.5
chain w6 w6.in w6.out
finish WAVE6 w6

# A sneeze: a gasp, another, and the burst.
say w7.ah en-us+f2 75 170 "ah, ahh"
synth w7.choo 0.35 whitenoise : highpass 1200 lowpass 6000 fade l 0.005 -0 0.3
synth w7.tone 0.3 sine 330 : fade l 0.01 -0 0.28 vol 0.4
mix w7.burst w7.choo w7.tone
chain w7 w7.ah w7.burst
finish WAVE7 w7

say w8 en-us 40 140 "Sorry."
finish WAVE8 w8

say w9 en-us+f3 55 150 "Welcome!"
finish WAVE9 w9

say w10 en-us+m3 70 150 "Yee haaaa!"
finish WAVE10 w10

say w11 en-us+f4 85 170 "Yippee!"
finish WAVE11 w11

say w12 en-us 45 130 "Oh no!"
finish WAVE12 w12

applause w13 1.5 60
finish WAVE13 w13

# A car horn: two notes at once, twice.
synth w14.a 0.22 sawtooth 415 : lowpass 2000 overdrive 5
synth w14.b 0.22 sawtooth 523 : lowpass 2000 overdrive 5
mix w14.h w14.a w14.b
fx w14.1 w14.h fade h 0.01 -0 0.02
at w14.2 w14.1 0.3
mix w14 w14.1 w14.2
finish WAVE14 w14 0.58

say w15 en-us+f2 60 80 "Oooooh!"
finish WAVE15 w15

# A razzberry: a fluttering buzz of the lips, wobbling in pitch.
synth w16.buzz 0.9 sawtooth 80:60 : lowpass 1500 tremolo 27 90 overdrive 10
synth w16.air 0.9 pinknoise : bandpass 900 1q tremolo 27 90 vol 0.3
mix w16 w16.buzz w16.air
finish WAVE16 w16

# A cheer: three voices over clapping.
say w17.a en-us+m3 45 150 "Hooray!"
say w17.b en-us+f3 70 160 "Hooray!"
say w17.c en-us+m7 30 140 "Yeah!"
at w17.bd w17.b 0.08
at w17.cd w17.c 0.15
applause w17.cl 1.4 40
mix w17 w17.a w17.bd w17.cd w17.cl
finish WAVE17 w17

say w18 en-us+f3 90 220 "ha ha ha ha ha ha!"
finish WAVE18 w18

say w19 en-us+m3 20 180 "ho ho ho, ha ha ha!"
finish WAVE19 w19

# Crying: a wail and sobs, trembling.
say w20.s en-us+f4 80 140 "waaah, hoo hoo"
fx w20 w20.s tremolo 7 40
finish WAVE20 w20
