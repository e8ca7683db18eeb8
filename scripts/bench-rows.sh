# shellcheck shell=bash disable=SC2154 # probe and work are the caller's
# Sourced by scripts/bench.sh and scripts/windows-bench.sh: the probe runs and the table rows
# worked out from them. The caller sets probe (bench_probe's path) and work (a scratch
# folder); every run's "name value" lines go to $work/raw, prefixed with a label.

# One probe run. A run that fails (no window in time) is counted and leaves no figures.
failures=0
measure() { # label probe-arguments...
    local label=$1
    shift
    if "$probe" "$@" >"$work/out" 2>>"$work/errors"; then
        sed "s|^|$label |" "$work/out" >>"$work/raw"
    else
        failures=$((failures + 1))
    fi
}

# "ours floor" pairs of one figure, in run order, paired by position.
pair() { # label-ours label-floor name
    paste -d' ' <(awk -v l="$1" -v n="$3" '$1 == l && $2 == n {print $3}' "$work/raw") \
        <(awk -v l="$2" -v n="$3" '$1 == l && $2 == n {print $3}' "$work/raw") |
        awk 'NF == 2'
}
# One table row: medians of both, median ratio and its quartiles, number of pairs.
row() { # what unit label-ours label-floor name
    local what=$1 unit=$2
    pair "$3" "$4" "$5" | awk -v what="$what" -v unit="$unit" '
        function median(a, n) { return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2 }
        function quantile(a, n, q,   i) { i = 1 + int(q * (n - 1) + 0.5); return a[i] }
        function sort(a, n,   i, j, t) {
            for (i = 2; i <= n; i++) { t = a[i]; for (j = i - 1; j > 0 && a[j] > t; j--) a[j + 1] = a[j]; a[j + 1] = t }
        }
        { n++; u[n] = $1; f[n] = $2; r[n] = $2 > 0 ? $1 / $2 : 0 }
        END {
            if (n == 0) { printf "| %s | - | - | - | - | 0 |\n", what; exit }
            sort(u, n); sort(f, n); sort(r, n)
            scale = unit == "MB" ? 1024 : 1
            printf "| %s | %.1f %s | %.1f %s | %.2f | %.2f-%.2f | %d |\n", what,
                median(u, n) / scale, unit, median(f, n) / scale, unit, median(r, n),
                quantile(r, n, 0.25), quantile(r, n, 0.75), n
        }'
}
