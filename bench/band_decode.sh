#!/bin/sh
# How much of a 200-character text multimon-ng (a decoder no one here wrote) reads
# back through band conditions: S/N from +20 to -3 dB in 500 Hz, then the same with
# slow QSB and with one other station. Usage: bench/band_decode.sh [build folder]
set -eu
build=${1:-build/default}
tool="$build/tools/telvok-cw-send"
command -v multimon-ng >/dev/null || apt-get install -y multimon-ng >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# 40 five-letter groups from a fixed seed: 200 characters with the blanks.
python3 - "$work/text.txt" <<'PY'
import random, sys
r = random.Random(1234)
groups = [''.join(r.choice('ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789') for _ in range(5)) for _ in range(34)]
open(sys.argv[1], 'w').write(' '.join(groups)[:200])
PY

# multimon-ng takes 22050 Hz raw samples: every pair of ours averaged.
cat > "$work/score.py" <<'PY'
import array, difflib, subprocess, sys
wav, text = sys.argv[1], open(sys.argv[2]).read().strip()
a = array.array('h'); a.frombytes(open(wav, 'rb').read()[44:])
raw = array.array('h', ((a[i] + a[i + 1]) // 2 for i in range(0, len(a) - 1, 2))).tobytes()
out = subprocess.run(['multimon-ng', '-q', '-t', 'raw', '-a', 'MORSE_CW', '-'], input=raw,
                     capture_output=True).stdout.decode('ascii', 'replace')
heard = ' '.join(out.split())
m = difflib.SequenceMatcher(None, text, heard, autojunk=False)
print('%5.1f %%' % (100.0 * sum(b.size for b in m.get_matching_blocks()) / len(text)))
PY

printf "%-8s %-14s %-14s %-14s\n" "S/N dB" "noise only" "slow QSB 0.8" "one QRM"
for snr in 20 10 3 0 -3; do
    row=""
    for extra in "" "--qsb slow:0.8" "--qrm 1"; do
        # shellcheck disable=SC2086
        "$tool" --snr "$snr" --seed 1 $extra -o "$work/s.wav" "$work/text.txt"
        row="$row$(python3 "$work/score.py" "$work/s.wav" "$work/text.txt")       "
    done
    printf '%-8s %s\n' "$snr" "$row"
done
