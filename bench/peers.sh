#!/usr/bin/env bash
# Times, on the same photo in one run, the whole job (decode, shrink to 30%, encode at quality 90)
# of Vantoro's shrink-job and of the tools people use instead, each on one thread, as the median of
# several runs after a warm-up, and prints every figure as a ratio to djpeg decoding that file.
#
#   bench/peers.sh [PHOTO.jpg ...]     (default: ../shared/photos/kleiber-20mp.jpg)
#
# Installs its peers from Debian when they are missing. Not part of ./test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

peers=(libjpeg-turbo-progs imagemagick graphicsmagick libvips-tools python3-pil python3-opencv hyperfine)
missing=()
for p in "${peers[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
scripts/install-deps.sh
scripts/build.sh build

runs=7
inputs=("$@")
[ ${#inputs[@]} -eq 0 ] && inputs=(../shared/photos/kleiber-20mp.jpg)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# One thread everywhere.
export OMP_NUM_THREADS=1 MAGICK_THREAD_LIMIT=1 VIPS_CONCURRENCY=1

for input in "${inputs[@]}"; do
    echo "== $input"
    hyperfine --style none --warmup 1 --runs "$runs" --export-json "$work/commands.json" \
        -n djpeg "djpeg -outfile /dev/null '$input'" \
        -n vantoro "build/bench/shrink-job '$input' 30 '$work/vantoro.jpg' --no-paints" \
        -n imagemagick "/usr/bin/convert '$input' -filter Box -resize 30% -quality 90 -sampling-factor 2x2 '$work/im.jpg'" \
        -n graphicsmagick "gm convert '$input' -filter Box -resize 30% -quality 90 -sampling-factor 2x2 '$work/gm.jpg'" \
        -n libvips "vips resize '$input' '$work/vips.jpg[Q=90,subsample-mode=on]' 0.3" >/dev/null

    for _ in $(seq "$runs"); do build/bench/shrink-job "$input" 30 "$work/vantoro.jpg"; done >"$work/stages.txt"

    /usr/bin/python3 - "$input" "$work" "$runs" <<'PY'
import json, statistics, sys, time
import cv2
from PIL import Image

path, work, runs = sys.argv[1], sys.argv[2], int(sys.argv[3])
cv2.setNumThreads(1)

def median_of(job):
    job()
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        job()
        times.append(time.perf_counter() - start)
    return statistics.median(times)

def pillow_job():
    im = Image.open(path)
    im = im.resize((im.width * 30 // 100, im.height * 30 // 100), Image.Resampling.BOX)
    im.save(f"{work}/pil.jpg", quality=90, subsampling=2)

def opencv_job():
    im = cv2.imread(path, cv2.IMREAD_COLOR)
    h, w = im.shape[:2]
    small = cv2.resize(im, (w * 30 // 100, h * 30 // 100), interpolation=cv2.INTER_AREA)
    cv2.imwrite(f"{work}/cv.jpg", small, [cv2.IMWRITE_JPEG_QUALITY, 90])

decoded_pil = Image.open(path)
decoded_pil.load()
decoded_cv = cv2.imread(path, cv2.IMREAD_COLOR)
h, w = decoded_cv.shape[:2]
size = (w * 30 // 100, h * 30 // 100)
resize = {
    "Pillow BOX": median_of(lambda: decoded_pil.resize(size, Image.Resampling.BOX)),
    "OpenCV INTER_AREA": median_of(lambda: cv2.resize(decoded_cv, size, interpolation=cv2.INTER_AREA)),
}

whole = {r["command"]: statistics.median(r["times"]) for r in json.load(open(f"{work}/commands.json"))["results"]}
whole["pillow"] = median_of(pillow_job)
whole["opencv"] = median_of(opencv_job)

stages = {}
for line in open(f"{work}/stages.txt"):
    parts = line.split()
    if len(parts) >= 3 and parts[2] == "ms":
        stages.setdefault(parts[0], []).append(float(parts[1]) / 1000)
stage = {k: statistics.median(v) for k, v in stages.items()}

djpeg = whole["djpeg"]
print(f"{'whole job (decode, 30%, q90 encode)':<40} {'median':>10} {'x djpeg':>8}")
for name in ["djpeg", "vantoro", "libvips", "pillow", "graphicsmagick", "imagemagick", "opencv"]:
    print(f"{name:<40} {whole[name] * 1000:8.1f} ms {whole[name] / djpeg:8.2f}")
print()
print(f"{'stage or resize step alone':<40} {'median':>10} {'x djpeg':>8}")
rows = [("vantoro decode", stage["decode"]), ("vantoro stretch to 30%", stage["stretch"]),
        ("vantoro encode", stage["encode"]), ("vantoro preview paint 385x438", stage["paint385"]),
        ("vantoro preview paint 1900x1000", stage["paint1900"])]
rows += [(k + " resize", v) for k, v in resize.items()]
for name, seconds in rows:
    print(f"{name:<40} {seconds * 1000:8.1f} ms {seconds / djpeg:8.2f}")
print()
print(f"decode / djpeg {stage['decode'] / djpeg:.2f}; stretch / decode {stage['stretch'] / stage['decode']:.2f}; "
      f"stretch / OpenCV {stage['stretch'] / resize['OpenCV INTER_AREA']:.2f}; "
      f"stretch / Pillow {stage['stretch'] / resize['Pillow BOX']:.2f}; "
      f"paint385 / decode {stage['paint385'] / stage['decode']:.2f}; "
      f"paint1900 / decode {stage['paint1900'] / stage['decode']:.2f}")
peers = {k: v for k, v in whole.items() if k not in ("djpeg", "vantoro")}
fastest = min(peers, key=peers.get)
print(f"summary: whole job {whole['vantoro'] / djpeg:.2f} x djpeg; stretch {stage['stretch'] / stage['decode']:.2f} x decode; "
      f"fastest peer {fastest} {peers[fastest] / djpeg:.2f} x djpeg")
PY
done
