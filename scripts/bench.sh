#!/bin/sh
# Builds the program and the benchmarks in Release into ${BUILD_DIR:-build-bench}
# and prints every performance figure (README, "Performance"). Nothing here
# judges the figures. Extra arguments go to zpvw-bench (Google Benchmark
# options, e.g. --benchmark_filter=Refresh).
set -eu
cd "$(dirname "$0")/.."
BUILD_DIR="${BUILD_DIR:-build-bench}"
if ! dpkg -s libbenchmark-dev >/dev/null 2>&1; then
    ./scripts/install-deps.sh
fi
mkdir -p "$BUILD_DIR"
log="$BUILD_DIR/bench-build.log"
if ! { cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release -DZPVW_BENCH=ON &&
       cmake --build "$BUILD_DIR" -j"$(nproc)" \
           --target zpvw zpvw-winchsim zpvw-bench zpvw-benchrun zpvw-procbench zpvw-archivebench \
               zpvw-archive zpvw-uploadbench zpvw-webloadbench; } >"$log" 2>&1; then
    tail -40 "$log"
    echo "bench.sh: the build failed (whole log: $log)" >&2
    exit 1
fi
export QT_QPA_PLATFORM=offscreen
bench="$BUILD_DIR/bin/zpvw-bench"
out="$BUILD_DIR/bench-output.txt"
# Three runs of each, in random order so that a busy spell of the machine or
# its disk does not fall on one benchmark alone; the median is shown, in the
# order the benchmarks are declared. (The DEBUG warning is about how Debian
# built the benchmark library itself.)
"$bench" --benchmark_repetitions=3 --benchmark_min_time=0.2 --benchmark_enable_random_interleaving=true \
    --benchmark_report_aggregates_only=true "$@" >"$out" 2>&1 || true
grep -v -e XDG_RUNTIME_DIR -e 'built as DEBUG' -e '^BM_' -e '^ clearFlg' "$out" || true
"$bench" --benchmark_list_tests "$@" 2>/dev/null | awk -v out="$out" '
    BEGIN { while ((getline line < out) > 0) if (line ~ /^BM_/) { split(line, f, " "); row[f[1]] = line } }
    { name = $1 "_median"; if (name in row) print row[name] }'
"$BUILD_DIR/bin/zpvw-procbench" 2>&1 | grep -v XDG_RUNTIME_DIR || true
# The office archive: SQLite and a PostgreSQL server of its own (Unix socket
# in a temporary folder, fsync on), once each: the import alone takes seconds.
"$BUILD_DIR/bin/zpvw-archivebench" 2>&1 | grep -v -e XDG_RUNTIME_DIR -e 'built as DEBUG' || true
# The way from the instrument to the office over loopback TLS: a CA and a
# certificate for 127.0.0.1 made here, for this run only.
tls="$(mktemp -d)"
trap 'rm -rf "$tls"' EXIT
printf 'subjectAltName=IP:127.0.0.1\n' >"$tls/ext"
if openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 -subj "/CN=zpvw bench CA" \
        -keyout "$tls/ca.key" -out "$tls/ca.pem" >/dev/null 2>&1 &&
   openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -subj /CN=127.0.0.1 \
        -keyout "$tls/srv.key" -out "$tls/srv.csr" >/dev/null 2>&1 &&
   openssl x509 -req -in "$tls/srv.csr" -CA "$tls/ca.pem" -CAkey "$tls/ca.key" -CAcreateserial -days 2 \
        -extfile "$tls/ext" -out "$tls/srv.pem" >/dev/null 2>&1; then
    "$BUILD_DIR/bin/zpvw-uploadbench" --tls "$tls" --tests 1000 --senders 16 2>&1 | grep -v XDG_RUNTIME_DIR || true
else
    echo "bench.sh: openssl could not make the test certificates; the upload figures are left out" >&2
fi
# The web view under load: 50 logged-in clients asking for hole pages for
# 20 s on loopback; requests/s, latency, errors and the server's memory.
"$BUILD_DIR/bin/zpvw-webloadbench" --clients 50 --seconds 20 2>&1 | grep -v XDG_RUNTIME_DIR || true
