#!/usr/bin/env bash
# Pieces per second: glyphora-shot --whole on packs of art with 1 and 2 jobs,
# beside ansilove run once per file on the same pieces, and from them the
# time 200,000 pieces would take on one 16-core machine.
#   bash bench/pack_bench.sh [PIECES]     (default 400, in packs of 20)
# Needs a native build (cmake --preset native && cmake --build build/native).
set -euo pipefail
cd "$(dirname "$0")/.."
pieces=${1:-400}
shot=build/native/glyphora-shot
[ -x "$shot" ] || { echo "pack_bench: build $shot first" >&2; exit 1; }
command -v ansilove >/dev/null || { echo "pack_bench: ansilove is missing (bash scripts/setup.sh)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The art: 80 columns, 25 to 100 rows, colour runs of CP437 shades and
# blocks, as files and the same bytes in packs of 20.
python3 - "$work" "$pieces" <<'EOF'
import os, random, sys, zipfile
work, count = sys.argv[1], int(sys.argv[2])
rng = random.Random(20)
os.makedirs(work + "/files")
for i in range(count):
    rows = []
    for _ in range(rng.randint(25, 100)):
        row, col = b"", 0
        while col < 80:
            run = min(rng.randint(1, 12), 80 - col)
            row += b"\x1b[%d;3%d;4%dm" % (rng.randint(0, 1), rng.randint(0, 7), rng.randint(0, 7))
            row += bytes(rng.choice([0xB0, 0xB1, 0xB2, 0xDB, 0xDC, 0xDF, 0x20, 0xFE]) for _ in range(run))
            col += run
        rows.append(row + b"\x1b[0m\r\n")
    with open("%s/files/piece%04d.ans" % (work, i), "wb") as f:
        f.write(b"".join(rows))
names = sorted(os.listdir(work + "/files"))
for p in range(0, count, 20):
    with zipfile.ZipFile("%s/pack%03d.zip" % (work, p // 20), "w", zipfile.ZIP_DEFLATED) as z:
        for n in names[p:p + 20]:
            z.write(work + "/files/" + n, n)
EOF

# Each command three times; the machine is shared, so a rate per core comes
# from CPU seconds (user and system, its children's included) and a speed-up
# from the best of the wall-clock times, the run the others disturbed least.
# Prints "WALL CPU".
measure() {
  local best_wall="" best_cpu="" out
  for _ in 1 2 3; do
    /usr/bin/time -o "$work/time" -f '%e %U %S' "$@" >/dev/null 2>&1 || true
    out=$(tail -1 "$work/time")
    read -r wall user system <<<"$out"
    cpu=$(echo "$user + $system" | bc -l)
    if [ -z "$best_wall" ] || [ "$(echo "$wall < $best_wall" | bc -l)" = 1 ]; then best_wall=$wall; fi
    if [ -z "$best_cpu" ] || [ "$(echo "$cpu < $best_cpu" | bc -l)" = 1 ]; then best_cpu=$cpu; fi
  done
  echo "$best_wall $best_cpu"
}
rate() { echo "scale=1; $pieces / $1" | bc -l; }

mkdir -p "$work/o1" "$work/o2" "$work/oa" "$work/of"
read -r w1 c1 < <(measure "$shot" --whole --jobs 1 --out-dir "$work/o1" "$work"/pack*.zip)
read -r w2 c2 < <(measure "$shot" --whole --jobs 2 --out-dir "$work/o2" "$work"/pack*.zip)
read -r wf cf < <(measure bash -c 'for f in "$1"/files/*.ans; do "$2" --whole "$f" "$1/of/$(basename "$f").png"; done' _ "$work" "$shot")
read -r wa ca < <(measure bash -c 'for f in "$1"/files/*.ans; do ansilove -q -o "$1/oa/$(basename "$f").png" "$f"; done' _ "$work")
diff -r "$work/o1" "$work/o2" >/dev/null && same=yes || same=NO

per_core=$(rate "$c1")
speedup=$(echo "scale=2; $w1 / $w2" | bc -l)
# 16 cores each at a core's rate, less what two jobs cost beyond one (their
# CPU seconds against one job's: the work is the same, so the rest is the
# cost of sharing it). The wall-clock speed-up says the same only on a quiet
# machine.
efficiency=$(echo "e = $c1 / $c2; if (e > 1) e = 1; e" | bc -l)
eta=$(echo "scale=0; 200000 / ($per_core * 16 * $efficiency)" | bc -l)
echo "pieces: $pieces in $((pieces / 20)) packs (80 columns, 25-100 rows each), --whole; best of 3 runs"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
printf '%-32s %7s %7s %12s\n' "" "wall s" "CPU s" "pieces/CPU-s"
printf '%-32s %7.2f %7.2f %12s\n' "glyphora-shot packs, --jobs 1" "$w1" "$c1" "$per_core"
printf '%-32s %7.2f %7.2f %12s\n' "glyphora-shot packs, --jobs 2" "$w2" "$c2" "$(rate "$c2")"
printf '%-32s %7.2f %7.2f %12s\n' "glyphora-shot once per file" "$wf" "$cf" "$(rate "$cf")"
printf '%-32s %7.2f %7.2f %12s\n' "ansilove once per file" "$wa" "$ca" "$(rate "$ca")"
echo "speed-up of --jobs 2 over --jobs 1: ${speedup}x (wall); PNGs identical: $same"
echo "200,000 pieces on 16 cores (a core's rate, two jobs' sharing cost): about $eta s"
